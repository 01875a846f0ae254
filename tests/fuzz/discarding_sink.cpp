// The fuzz targets log through the real debug log into a sink that drops every line: with a
// sink registered each line is formatted, so a bad argument still shows.
#include "common/console.h"

namespace {

class DiscardingSink : public ConsoleSink {
  public:
    DiscardingSink() { addConsoleSink(*this); }
    ~DiscardingSink() override { removeConsoleSink(*this); }
    void write(std::string_view) override {}
};

DiscardingSink g_sink;

}  // namespace
