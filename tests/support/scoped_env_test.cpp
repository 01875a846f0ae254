#include "tests/support/scoped_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr const char* kName = "VEXO_SCOPED_ENV_TEST";

std::string valueOr(const std::string& none) {
    const char* value = std::getenv(kName);
    return value ? value : none;
}

TEST(ScopedEnv, AVariableThatWasNotThereIsGoneAgainAfterwards) {
    unsetenv(kName);
    {
        const test_support::ScopedEnv set(kName, "inside");
        EXPECT_EQ(valueOr("<unset>"), "inside");
    }
    EXPECT_EQ(valueOr("<unset>"), "<unset>");
}

TEST(ScopedEnv, NestedScopesRestoreEachEarlierValueInTurn) {
    setenv(kName, "outer", 1);
    {
        const test_support::ScopedEnv empty(kName, "");
        {
            const test_support::ScopedEnv unset(kName);
            EXPECT_EQ(valueOr("<unset>"), "<unset>");
        }
        EXPECT_EQ(valueOr("<unset>"), "") << "an empty value is kept, not taken for unset";
    }
    EXPECT_EQ(valueOr("<unset>"), "outer");
    unsetenv(kName);
}

}  // namespace
