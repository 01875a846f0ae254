// The web view a movie plays in, inside the control's window.
#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace controls::webmovie {

class MovieView {
  public:
    using FsCommandHandler = std::function<void(const std::string&, const std::string&)>;

    // Adds a web view of the movie context to `container`; FSCommand messages of its pages go to
    // `onFsCommand`, from the main loop.
    MovieView(GtkWidget* container, FsCommandHandler onFsCommand);
    ~MovieView();
    MovieView(const MovieView&) = delete;
    MovieView& operator=(const MovieView&) = delete;

    void loadUri(const std::string& uri);
    // Shows `html` as the document at `uri` (same origin, same user script).
    void loadHtmlBytes(const std::string& html, const std::string& charset, const std::string& uri);
    // A blank page in the background colour: what a movie that cannot load leaves behind.
    void showBlank();
    // The colour behind the movie (0xRRGGBB); nullopt for white.
    void setBackground(std::optional<std::uint32_t> rgb);
    WebKitWebView* webView() const { return view_; }

  private:
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error,
                                 gpointer self);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, gpointer);
    static void onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason,
                                    gpointer self);
    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                gpointer self);
    static gboolean onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                  WebKitHitTestResult*, gpointer);
    WebKitUserContentManager* createContentManager();
    WebKitSettings* createSettings() const;
    void connectSignals();

    FsCommandHandler onFsCommand_;
    WebKitUserContentManager* content_ = nullptr;
    WebKitWebView* view_ = nullptr;
};

}  // namespace controls::webmovie
