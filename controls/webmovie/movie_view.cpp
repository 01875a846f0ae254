#include "controls/webmovie/movie_view.h"

#include <sys/random.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "controls/webmovie/browser_opener.h"
#include "controls/webmovie/js_call.h"
#include "controls/webmovie/movie_scheme.h"
#include "controls/webmovie/origin_rules.h"
#include "controls/webmovie/page_text.h"
#include "controls/webmovie/relay_url.h"

namespace controls::webmovie {
namespace {

// How long after the user's click or key a navigation may count as the user's. WebKit marks the
// scripts the control runs (CallFunction) as user gestures too, so its mark alone proves nothing.
constexpr gint64 kUserActionUs = 10 * G_USEC_PER_SEC;

// 128 random bits in hex: what no other page can guess.
std::string unguessableToken() {
    unsigned char bytes[16];
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        std::random_device device;
        for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(device());
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char byte : bytes) {
        token += kHex[byte >> 4];
        token += kHex[byte & 0xF];
    }
    return token;
}

}  // namespace

MovieView::MovieView(GtkWidget* container, FsCommandHandler onFsCommand)
    : onFsCommand_(std::move(onFsCommand)) {
    content_ = createContentManager();
    WebKitSettings* settings = createSettings();
    WebKitWebsitePolicies* policies =
        webkit_website_policies_new_with_policies("autoplay", WEBKIT_AUTOPLAY_ALLOW, nullptr);
    view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", movieWebContext(),
                                         "user-content-manager", content_, "settings", settings,
                                         "website-policies", policies, nullptr));
    g_object_unref(policies);
    g_object_unref(settings);
    g_object_ref_sink(view_);
    connectSignals();
    startMovie({});
    setBackground(std::nullopt);
    gtk_container_add(GTK_CONTAINER(container), GTK_WIDGET(view_));
    gtk_widget_show(GTK_WIDGET(view_));
}

MovieView::~MovieView() {
    g_signal_handlers_disconnect_by_data(view_, this);
    g_signal_handlers_disconnect_by_data(content_, this);
    webkit_web_view_stop_loading(view_);
    gtk_widget_destroy(GTK_WIDGET(view_));
    g_object_unref(view_);
    g_object_unref(content_);
}

WebKitUserContentManager* MovieView::createContentManager() {
    WebKitUserContentManager* content = webkit_user_content_manager_new();
    std::string signal = std::string("script-message-received::") + kFsCommandHandler;
    g_signal_connect(content, signal.c_str(), G_CALLBACK(onScriptMessage), this);
    webkit_user_content_manager_register_script_message_handler(content, kFsCommandHandler);
    signal = std::string("script-message-received::") + kVideoHandler;
    g_signal_connect(content, signal.c_str(), G_CALLBACK(onVideoMessage), this);
    webkit_user_content_manager_register_script_message_handler(content, kVideoHandler);
    return content;
}

WebKitSettings* MovieView::createSettings() const {
    // The page's console goes to stdout only when asked for, to find faults in movies. Pages are
    // drawn without accelerated compositing: its layers and GL buffers cost the web process
    // about 60 MB (bench/run-memory), and a movie is one flat surface.
    bool console = std::getenv("VEXO_WEBMOVIE_CONSOLE") != nullptr;
    return webkit_settings_new_with_settings(
        "default-charset", "utf-8", "enable-write-console-messages-to-stdout", console,
        "javascript-can-open-windows-automatically", FALSE, "enable-developer-extras", FALSE,
        "media-playback-requires-user-gesture", FALSE, "hardware-acceleration-policy",
        WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER, nullptr);
}

void MovieView::connectSignals() {
    g_signal_connect(view_, "load-failed", G_CALLBACK(onLoadFailed), this);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view_, "web-process-terminated", G_CALLBACK(onProcessTerminated), this);
    g_signal_connect(view_, "context-menu", G_CALLBACK(onContextMenu), this);
    g_signal_connect(view_, "load-changed", G_CALLBACK(onLoadChanged), this);
    g_signal_connect(view_, "create", G_CALLBACK(onCreate), this);
    g_signal_connect(view_, "button-release-event", G_CALLBACK(onUserInput), this);
    g_signal_connect(view_, "key-press-event", G_CALLBACK(onUserInput), this);
}

void MovieView::startMovie(const std::string& origin) {
    origin_ = origin;
    token_ = unguessableToken();
    shown_ = false;
    // Pages loaded from now on get the bridge of this movie; pages shown keep the one they have.
    WebKitUserScript* bridge = webkit_user_script_new(
        bridgeScript(origin_, token_).c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_remove_all_scripts(content_);
    webkit_user_content_manager_add_script(content_, bridge);
    webkit_user_script_unref(bridge);
}

void MovieView::expect(const std::string& uri) {
    pending_ = uri;
    shown_ = false;
}

bool MovieView::admits(WebKitWebView* requester, std::string_view uri) const {
    if (requester != view_) return false;
    return shown_ || (!pending_.empty() && sameDocument(uri, pending_));
}

void MovieView::loadUri(const std::string& uri) {
    expect(uri);
    webkit_web_view_load_uri(view_, uri.c_str());
}

void MovieView::loadHtmlBytes(const std::string& html, const std::string& charset,
                              const std::string& uri) {
    expect(uri);
    GBytes* bytes = g_bytes_new(html.data(), html.size());
    webkit_web_view_load_bytes(view_, bytes, "text/html",
                               charset.empty() ? nullptr : charset.c_str(), uri.c_str());
    g_bytes_unref(bytes);
}

void MovieView::showBlank() {
    // Transparent, so the view's background colour shows, and changes with it.
    expect("about:blank");
    webkit_web_view_load_html(view_, "<!DOCTYPE html><html></html>", "about:blank");
}

void MovieView::setBackground(std::optional<std::uint32_t> rgb) {
    std::uint32_t colour = rgb.value_or(0xFFFFFF);
    GdkRGBA rgba{((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                 (colour & 0xFF) / 255.0, 1.0};
    webkit_web_view_set_background_color(view_, &rgba);
}

gboolean MovieView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* failingUri, GError* error,
                                 gpointer self) {
    auto* view = static_cast<MovieView*>(self);
    // A load cut short by the next one is no failure, and a navigation the window refused leaves
    // the movie as it is; a document of the control that fails leaves the background.
    if (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) return TRUE;
    bool refused = g_error_matches(error, WEBKIT_POLICY_ERROR,
                                   WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
    if (!refused || sameDocument(failingUri ? failingUri : "", view->pending_)) view->showBlank();
    return TRUE;
}

void MovieView::onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
    auto* view = static_cast<MovieView*>(self);
    if (event != WEBKIT_LOAD_COMMITTED || view->pending_.empty()) return;
    const char* uri = webkit_web_view_get_uri(view->view_);
    std::string_view committed = uri ? uri : "";
    // The control's document, possibly redirected within the movie's origin.
    if (sameDocument(committed, view->pending_) || hasOrigin(committed, view->origin_)) {
        view->pending_.clear();
        view->shown_ = true;
    }
}

gboolean MovieView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, gpointer self) {
    auto* view = static_cast<MovieView*>(self);
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
        return view->decideResponse(WEBKIT_RESPONSE_POLICY_DECISION(decision));
    }
    return view->decideNavigation(WEBKIT_NAVIGATION_POLICY_DECISION(decision),
                                  type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION);
}

gboolean MovieView::onUserInput(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<MovieView*>(self)->userInput_ = g_get_monotonic_time();
    return FALSE;  // the page gets the event as well
}

bool MovieView::userJustActed() const {
    return userInput_ != 0 && g_get_monotonic_time() - userInput_ < kUserActionUs;
}

gboolean MovieView::decideNavigation(WebKitNavigationPolicyDecision* decision, bool newWindow) {
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(decision);
    if (judge(action, newWindow) == NavigationVerdict::Allow) return FALSE;
    webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
    return TRUE;
}

NavigationVerdict MovieView::judge(WebKitNavigationAction* action, bool newWindow) {
    const char* requested =
        webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    // Ruffle rewrites the movie's links as it rewrites its loads: judge where they really lead,
    // so that a foreign page never shows under the movie's origin.
    std::optional<std::string> relayed = relayTargetOfUrl(requested ? requested : "", origin_);
    std::string uri = relayed ? *relayed : requested ? requested : "";
    WebKitNavigationType type = webkit_navigation_action_get_navigation_type(action);
    bool userGesture = webkit_navigation_action_is_user_gesture(action) && userJustActed();
    Navigation navigation{uri, userGesture,
                          type == WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED ||
                              type == WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED,
                          newWindow, webkit_navigation_action_is_redirect(action) != FALSE};
    NavigationVerdict verdict = judgeNavigation(origin_, pending_, navigation);
    if (verdict == NavigationVerdict::OpenInBrowser) {
        userInput_ = 0;  // one click, one page
        openInBrowser(uri);
    }
    return verdict;
}

GtkWidget* MovieView::onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self) {
    // window.open: the movie window has no others; what the user asked for goes to the browser.
    static_cast<MovieView*>(self)->judge(action, true);
    return nullptr;
}

gboolean MovieView::decideResponse(WebKitResponsePolicyDecision* decision) const {
    // The top document is of the movie's origin whatever came before it; and content the view
    // cannot show would be downloaded, which a movie never does.
    const char* uri =
        webkit_uri_response_get_uri(webkit_response_policy_decision_get_response(decision));
    bool foreignTop = webkit_response_policy_decision_is_main_frame_main_resource(decision) &&
                      !belongsToMovie(origin_, uri ? uri : "") &&
                      !sameDocument(uri ? uri : "", pending_);
    if (!foreignTop && webkit_response_policy_decision_is_mime_type_supported(decision)) {
        return FALSE;
    }
    webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
    return TRUE;
}

void MovieView::onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                    gpointer self) {
    std::fprintf(stderr, "webmovie: the movie's web process ended (reason %d)\n",
                 static_cast<int>(reason));
    static_cast<MovieView*>(self)->showBlank();
}

void MovieView::onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                                gpointer self) {
    auto* view = static_cast<MovieView*>(self);
    JSCValue* message = webkit_javascript_result_get_js_value(result);
    // Only the bridge of the current movie's pages knows the token: frames, other pages and
    // the pages of earlier movies do not reach the host.
    if (stringItem(message, 0) != view->token_) return;
    // A copy: the host's handler may destroy the control, and this view with it.
    FsCommandHandler handler = view->onFsCommand_;
    handler(stringItem(message, 1), stringItem(message, 2));
}

void MovieView::onVideoMessage(WebKitUserContentManager*, WebKitJavascriptResult* result,
                               gpointer self) {
    auto* view = static_cast<MovieView*>(self);
    JSCValue* message = webkit_javascript_result_get_js_value(result);
    if (stringItem(message, 0) != view->token_) return;
    const std::string kind = stringItem(message, 1), text = stringItem(message, 2);
    std::optional<std::string> line;
    if (kind == "decoder") {
        line = view->videoNotices_.missingDecoder(text);
    } else if (kind == "unreadable") {
        // A remote movie's video is named by the URL it stands for, not the relay's.
        line = view->videoNotices_.unreadableVideo(
            relayTargetOfUrl(text, view->origin_).value_or(text));
    }
    if (line) std::fprintf(stderr, "%s\n", line->c_str());
}

gboolean MovieView::onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                  WebKitHitTestResult*, gpointer) {
    return TRUE;  // WebKit's menu (Reload, Back...) has no place on a movie
}

}  // namespace controls::webmovie
