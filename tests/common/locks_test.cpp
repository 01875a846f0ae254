#include "common/locks.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

bool tryLockFromAnotherThread(Lockable& lock) {
    bool taken = false;
    std::thread([&] {
        taken = lock.tryLock();
        if (taken) lock.unlock();
    }).join();
    return taken;
}

TEST(CriticalSectionLock, OwnerMayLockAgainAndTryLockNeverWaits) {
    CriticalSectionLock lock;
    lock.lock();
    lock.lock();
    lock.unlock();
    EXPECT_FALSE(lock.tryLock()) << "while held, the owner itself is refused too";
    EXPECT_FALSE(tryLockFromAnotherThread(lock)) << "held until the last unlock";
    lock.unlock();
    ASSERT_TRUE(lock.tryLock());
    EXPECT_FALSE(tryLockFromAnotherThread(lock)) << "a successful tryLock holds the lock";
    lock.unlock();
    {
        ScopedLock guard(&lock);
        ScopedLock none(nullptr);
        EXPECT_FALSE(tryLockFromAnotherThread(lock));
    }
    EXPECT_TRUE(tryLockFromAnotherThread(lock));
}

}  // namespace
