#include "flash/shockwave_flash.h"

using platform::control_abi::InvokeKind;
using platform::control_abi::Variant;

bool CShockwaveFlash::Create(std::string_view /*className*/, const std::string& windowName,
                             platform::DWORD style, const platform::RECT& rect,
                             platform::Window* parent, platform::UINT id) {
    return CreateControl(kClsid, windowName, style, rect, parent, id);
}

void CShockwaveFlash::SetBackgroundColor(std::int32_t colour) {
    InvokeHelper(kDispidBackgroundColor, InvokeKind::PropertyPut, {Variant(colour)});
}

void CShockwaveFlash::Play() { InvokeHelper(kDispidPlay, InvokeKind::Method, {}); }

void CShockwaveFlash::LoadMovie(std::int32_t layer, const std::string& url) {
    InvokeHelper(kDispidLoadMovie, InvokeKind::Method, {Variant(layer), Variant(url)});
}

std::string CShockwaveFlash::CallFunction(const std::string& request) {
    const Variant reply = InvokeHelper(kDispidCallFunction, InvokeKind::Method, {Variant(request)});
    const auto* text = std::get_if<std::string>(&reply);
    return text ? *text : std::string();
}

void createFlashControl(CShockwaveFlash& flash, platform::Window& parent, platform::UINT id,
                        const std::string& url) {
    using namespace platform;
    constexpr DWORD kControlStyleBits = WS_CLIPCHILDREN | WS_SYSMENU | WS_GROUP | WS_TABSTOP;
    const auto style = static_cast<platform::DWORD>(parent.GetWindowLong(platform::GWL_STYLE));
    flash.Create("", "", style | kControlStyleBits, platform::RECT{0, 0, 1, 1}, &parent, id);
    flash.SetBackgroundColor(0);
    flash.LoadMovie(0, url);
    flash.Play();
}
