// The web view a movie plays in, inside the control's window.
#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "controls/webmovie/origin_rules.h"
#include "controls/webmovie/video_notices.h"

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

    // Begins a new movie whose pages are of `origin` (see origin_rules.h; "" while it is not
    // known). From now on only pages of that origin get the movie API, the window goes nowhere
    // else, and FSCommand messages of pages shown before are dropped.
    void startMovie(const std::string& origin);

    // The control's loads. Until the document arrives, nothing but it may load in the window.
    void loadUri(const std::string& uri);
    // Shows `html` as the document at `uri` (same origin, same user script).
    void loadHtmlBytes(const std::string& html, const std::string& charset, const std::string& uri);
    // A blank page in the background colour: what a movie that cannot load leaves behind.
    void showBlank();

    // Whether a request of the movie scheme for `uri`, made by a page of `requester`, comes from
    // this movie: a page of this view once the control's document has arrived in it (the window
    // then shows the movie's origin alone), or the document itself while it loads.
    bool admits(WebKitWebView* requester, std::string_view uri) const;
    // The colour behind the movie (0xRRGGBB); nullopt for white.
    void setBackground(std::optional<std::uint32_t> rgb);
    WebKitWebView* webView() const { return view_; }

  private:
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error,
                                 gpointer self);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, gpointer self);
    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
    static void onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason,
                                    gpointer self);
    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                gpointer self);
    static void onVideoMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                               gpointer self);
    static gboolean onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                  WebKitHitTestResult*, gpointer);
    static gboolean onUserInput(GtkWidget*, GdkEvent*, gpointer self);
    static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self);
    WebKitUserContentManager* createContentManager();
    WebKitSettings* createSettings() const;
    void connectSignals();
    void expect(const std::string& uri);
    gboolean decideNavigation(WebKitNavigationPolicyDecision* decision, bool newWindow);
    NavigationVerdict judge(WebKitNavigationAction* action, bool newWindow);
    bool userJustActed() const;
    gboolean decideResponse(WebKitResponsePolicyDecision* decision) const;

    FsCommandHandler onFsCommand_;
    WebKitUserContentManager* content_ = nullptr;
    WebKitWebView* view_ = nullptr;
    std::string origin_;    // the movie's origin, "" while unknown
    std::string token_;     // first item of the FSCommand messages of the movie's pages
    std::string pending_;   // the document the control is loading, until it arrives
    bool shown_ = false;    // the control's document has arrived: the pages shown are the movie's
    gint64 userInput_ = 0;  // when the user last clicked or typed in the view; 0 once used
    VideoNotices videoNotices_;
};

}  // namespace controls::webmovie
