// The window through which both programs host the Flash control: creation inside a parent
// window and the four automation calls on the control. It holds no state of its own; events
// of the control are declared in the event sink table of the window that hosts it.
#pragma once

#include <string>
#include <string_view>

#include "controls/flash_interface.h"
#include "platform/window.h"

class CShockwaveFlash : public platform::Window {
  public:
    static constexpr std::string_view kClsid = platform::flash::kClsid;

    static constexpr platform::DISPID kDispidBackgroundColor = platform::flash::kBackgroundColor;
    static constexpr platform::DISPID kDispidPlay = platform::flash::kPlay;
    static constexpr platform::DISPID kDispidLoadMovie = platform::flash::kLoadMovie;
    static constexpr platform::DISPID kDispidCallFunction = platform::flash::kCallFunction;
    // The control's FSCommand event: two string parameters, command and arguments.
    static constexpr platform::DISPID kDispidFSCommand = platform::flash::kFsCommand;

    // Creates the control (the class name is ignored): no persisted state, no licence key.
    virtual bool Create(std::string_view className, const std::string& windowName,
                        platform::DWORD style, const platform::RECT& rect, platform::Window* parent,
                        platform::UINT id);

    // Without a control these do nothing and CallFunction returns the empty string; a call the
    // control fails throws platform::DispatchException.
    void SetBackgroundColor(std::int32_t colour);
    void Play();
    void LoadMovie(std::int32_t layer, const std::string& url);
    std::string CallFunction(const std::string& request);
};

// The creation sequence every owner uses: the control as a child of `parent` with the
// parent's style plus WS_CLIPCHILDREN | WS_SYSMENU | WS_GROUP | WS_TABSTOP, at (0, 0, 1, 1),
// black background, the movie loaded on layer 0 and playing. The owner sizes it afterwards.
void createFlashControl(CShockwaveFlash& flash, platform::Window& parent, platform::UINT id,
                        const std::string& url);
