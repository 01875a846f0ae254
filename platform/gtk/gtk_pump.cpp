#include "platform/gtk/gtk_pump.h"

#include <glib.h>

namespace platform {

namespace {

class GlibPump final : public EventPump {
  public:
    void wait(std::optional<Clock::time_point> deadline) override {
        GSource* timeout = deadline ? attachTimeout(*deadline) : nullptr;
        // One iteration: it returns once a source was dispatched, which includes the wake-up
        // of g_main_context_wakeup, even one that came before the iteration began.
        g_main_context_iteration(nullptr, TRUE);
        if (timeout) {
            g_source_destroy(timeout);
            g_source_unref(timeout);
        }
    }

    void wake() override { g_main_context_wakeup(nullptr); }

  private:
    static GSource* attachTimeout(Clock::time_point deadline) {
        // Rounded up: a timeout that fires before the deadline would find nothing due and spin.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const auto ms = static_cast<guint>(std::max<std::int64_t>(0, left.count()));
        GSource* source = g_timeout_source_new(ms);
        g_source_set_callback(
            source, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(source, nullptr);
        return source;
    }
};

}  // namespace

std::unique_ptr<EventPump> makeGlibPump() { return std::make_unique<GlibPump>(); }

}  // namespace platform
