#include "platform/control_container.h"

#include <dlfcn.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "platform/os/registry.h"
#include "platform/thread_queue.h"
#include "platform/window.h"

namespace platform {

namespace {

std::string inprocServerPath(std::string_view clsid) {
    const std::string key = "HKEY_CLASSES_ROOT\\CLSID\\" + std::string(clsid) + "\\InprocServer32";
    return loadProcessRegistry().readString(key, "").value_or("");
}

// Loaded libraries by path; a library is never unloaded, since controls may have left code
// (callbacks, threads) behind.
ControlFactory loadFactory(const std::string& path) {
    static std::mutex mutex;
    static std::map<std::string, ControlFactory> loaded;
    std::lock_guard lock(mutex);
    if (auto it = loaded.find(path); it != loaded.end()) return it->second;
    ControlFactory factory = nullptr;
    if (void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        factory = reinterpret_cast<ControlFactory>(dlsym(library, "vexoCreateControl"));
        if (!factory) std::fprintf(stderr, "vexo: %s has no vexoCreateControl\n", path.c_str());
    } else {
        std::fprintf(stderr, "vexo: cannot load control library: %s\n", dlerror());
    }
    loaded.emplace(path, factory);
    return factory;
}

}  // namespace

ControlFactory ControlContainer::findFactory(std::string_view clsid) {
    const std::string path = inprocServerPath(clsid);
    return path.empty() ? nullptr : loadFactory(path);
}

std::unique_ptr<ControlContainer> ControlContainer::create(ControlFactory factory,
                                                           std::string_view clsid, Window& window) {
    std::unique_ptr<ControlContainer> container(new ControlContainer(window));
    const std::string id(clsid);
    container->control_.reset(factory(control_abi::kAbiVersion, id.c_str(), container.get()));
    if (!container->control_) return nullptr;
    return container;
}

ControlContainer::~ControlContainer() {
    *alive_ = false;
    queue_->cancelTasks(this);
    control_.reset();
}

control_abi::InvokeResult ControlContainer::invoke(DISPID dispid, control_abi::InvokeKind kind,
                                                   const std::vector<control_abi::Variant>& args) {
    return control_->invoke(dispid, kind, args);
}

void ControlContainer::focus() { control_->focus(); }

void ControlContainer::fireEvent(std::int32_t dispid,
                                 const std::vector<control_abi::Variant>& args) {
    // A control detached from its host (a hidden spare) has nobody to tell.
    Window* host = window_.GetParent();
    if (host != nullptr) host->OnControlEvent(window_.GetDlgCtrlID(), dispid, args);
}

void ControlContainer::postDelayed(std::uint32_t delayMs, std::function<void()> task) {
    std::weak_ptr<bool> alive = alive_;
    queue_->postTask(
        delayMs,
        [alive, task = std::move(task)] {
            if (auto flag = alive.lock(); flag && *flag) task();
        },
        this);
}

void* ControlContainer::nativeContainer() {
    auto* native = window_.backendWindow();
    return native ? native->nativeHandle() : nullptr;
}

}  // namespace platform
