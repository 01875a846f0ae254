#include "platform/headless/headless_backend.h"

#include <cstdlib>
#include <mutex>

#include "platform/headless/headless_script.h"
#include "platform/headless/ui_trace.h"
#include "platform/window.h"

namespace platform {

namespace {

const char* kindName(WindowKind kind) {
    switch (kind) {
        case WindowKind::TopLevel:
            return "toplevel";
        case WindowKind::Child:
            return "child";
        case WindowKind::ListBox:
            return "listbox";
        case WindowKind::ControlSite:
            return "control";
    }
    return "?";
}

std::string hex(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", value);
    return buffer;
}

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

class HeadlessWindow final : public BackendWindow {
  public:
    HeadlessWindow(const UiTrace& trace, const NativeWindowSpec& spec, BackendWindow* parent)
        : trace_(trace), hwnd_(handleText(spec.hwnd)) {
        const auto* p = static_cast<HeadlessWindow*>(parent);
        trace_.write("create " + hwnd_ + " " + kindName(spec.kind) +
                     " class=" + quoted(spec.className) + " parent=" + (p ? p->hwnd_ : "0") +
                     " style=" + hex(spec.style) + " exstyle=" + hex(spec.exStyle) +
                     " rect=" + rectText(spec.bounds) + " text=" + quoted(spec.text));
    }
    ~HeadlessWindow() override { trace_.write("destroy " + hwnd_); }

    void setBounds(const RECT& bounds) override {
        trace_.write("move " + hwnd_ + " " + rectText(bounds));
    }
    void setVisible(bool visible) override { trace_.write((visible ? "show " : "hide ") + hwnd_); }
    void setText(const std::string& text) override {
        trace_.write("text " + hwnd_ + " " + quoted(text));
    }
    void setParent(BackendWindow* parent, const RECT& bounds) override {
        const auto* p = static_cast<HeadlessWindow*>(parent);
        trace_.write("parent " + hwnd_ + " " + (p ? p->hwnd_ : "0") + " " + rectText(bounds));
    }
    void setFocus() override { trace_.write("focus " + hwnd_); }
    void insertItem(int index, const std::string& text) override {
        trace_.write("item " + hwnd_ + " " + std::to_string(index) + " " + quoted(text));
    }
    void* nativeHandle() override { return nullptr; }

  private:
    const UiTrace& trace_;
    const std::string hwnd_;
};

class HeadlessBackend final : public Backend {
  public:
    HeadlessBackend()
        : trace_(envOrEmpty("VEXO_UI_TRACE")),
          script_(envOrEmpty("VEXO_HEADLESS_SCRIPT").empty()
                      ? HeadlessScript()
                      : HeadlessScript::load(envOrEmpty("VEXO_HEADLESS_SCRIPT"))) {}

    std::string name() const override { return "headless"; }

    std::unique_ptr<BackendWindow> createWindow(const NativeWindowSpec& spec,
                                                BackendWindow* parent) override {
        return std::make_unique<HeadlessWindow>(trace_, spec, parent);
    }
    std::unique_ptr<EventPump> createPump() override { return makeConditionPump(); }

    // A 1920 x 1080 screen with a 40-pixel task bar along the bottom.
    RECT screenRect() const override { return RECT{0, 0, 1920, 1080}; }
    RECT workArea() const override { return RECT{0, 0, 1920, 1040}; }

    int messageBox(HWND owner, const std::string& text, const std::string& caption,
                   UINT type) override {
        std::optional<int> answer;
        {
            std::lock_guard lock(mutex_);
            answer = script_.takeMessageBoxAnswer();
        }
        const int result = answer.value_or(defaultAnswer(type));
        trace_.write("msgbox owner=" + handleText(owner) + " type=" + hex(type) +
                     " caption=" + quoted(caption) + " text=" + quoted(text) +
                     " answer=" + dialogResultName(result) + (answer ? "" : " (default)"));
        return result;
    }

    void trace(const std::string& line) override { trace_.write(line); }

  private:
    // Without a scripted answer the box is answered with its first button, as pressing Enter
    // would.
    static int defaultAnswer(UINT type) {
        switch (type & MB_TYPEMASK) {
            case MB_YESNO:
            case MB_YESNOCANCEL:
                return IDYES;
            case MB_RETRYCANCEL:
                return IDRETRY;
            default:
                return IDOK;
        }
    }

    UiTrace trace_;
    std::mutex mutex_;
    HeadlessScript script_;
};

}  // namespace

std::unique_ptr<Backend> createHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace platform
