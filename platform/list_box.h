// Controls made from dialog templates. They belong to their dialog's window: the object frees
// itself when the window is destroyed.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/window.h"

namespace platform {

const char* controlClassName(ControlClass controlClass);

class ChildControl : public Window {
  protected:
    void PostNcDestroy() override { delete this; }
};

// A list box. LB_INSERTSTRING puts a line at an index (-1: the end) and never sorts, whatever
// the style; LB_ADDSTRING keeps the lines sorted when the style has LBS_SORT.
class ListBox : public ChildControl {
  public:
    const std::vector<std::string>& items() const { return items_; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  protected:
    WindowKind nativeKind() const override { return WindowKind::ListBox; }

  private:
    LRESULT insert(WPARAM index, const char* text);
    LRESULT add(const char* text);
    LRESULT copyText(WPARAM index, char* buffer) const;

    std::vector<std::string> items_;
};

}  // namespace platform
