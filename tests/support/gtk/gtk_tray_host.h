// A system tray of the test's own, as a desktop panel hosts one (the freedesktop.org system
// tray protocol): it owns the tray selection and embeds the icons that ask to dock. For
// looking at tray icons on an X server without a panel.
#pragma once

namespace platform::gtk_probe {

class TrayHost {
  public:
    // A strip along the top right of the screen, holding the docked icons side by side.
    TrayHost();
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // Embeds the icon whose X window asked to dock.
    void dock(unsigned long icon);

  private:
    void* panel_ = nullptr;  // GtkWidget*
    void* row_ = nullptr;
};

}  // namespace platform::gtk_probe
