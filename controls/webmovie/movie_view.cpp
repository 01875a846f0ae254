#include "controls/webmovie/movie_view.h"

#include <cstdio>
#include <cstdlib>

#include "controls/webmovie/js_call.h"
#include "controls/webmovie/movie_scheme.h"
#include "controls/webmovie/page_text.h"

namespace controls::webmovie {

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
    WebKitUserScript* bridge =
        webkit_user_script_new(bridgeScript(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(content, bridge);
    webkit_user_script_unref(bridge);
    std::string signal = std::string("script-message-received::") + kFsCommandHandler;
    g_signal_connect(content, signal.c_str(), G_CALLBACK(onScriptMessage), this);
    webkit_user_content_manager_register_script_message_handler(content, kFsCommandHandler);
    return content;
}

WebKitSettings* MovieView::createSettings() const {
    // The page's console goes to stdout only when asked for, to find faults in movies.
    bool console = std::getenv("VEXO_WEBMOVIE_CONSOLE") != nullptr;
    return webkit_settings_new_with_settings(
        "default-charset", "utf-8", "enable-write-console-messages-to-stdout", console,
        "javascript-can-open-windows-automatically", FALSE, "enable-developer-extras", FALSE,
        "media-playback-requires-user-gesture", FALSE, nullptr);
}

void MovieView::connectSignals() {
    g_signal_connect(view_, "load-failed", G_CALLBACK(onLoadFailed), this);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view_, "web-process-terminated", G_CALLBACK(onProcessTerminated), this);
    g_signal_connect(view_, "context-menu", G_CALLBACK(onContextMenu), this);
}

void MovieView::loadUri(const std::string& uri) { webkit_web_view_load_uri(view_, uri.c_str()); }

void MovieView::loadHtmlBytes(const std::string& html, const std::string& charset,
                              const std::string& uri) {
    GBytes* bytes = g_bytes_new(html.data(), html.size());
    webkit_web_view_load_bytes(view_, bytes, "text/html",
                               charset.empty() ? nullptr : charset.c_str(), uri.c_str());
    g_bytes_unref(bytes);
}

void MovieView::showBlank() {
    // Transparent, so the view's background colour shows, and changes with it.
    webkit_web_view_load_html(view_, "<!DOCTYPE html><html></html>", "about:blank");
}

void MovieView::setBackground(std::optional<std::uint32_t> rgb) {
    std::uint32_t colour = rgb.value_or(0xFFFFFF);
    GdkRGBA rgba{((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                 (colour & 0xFF) / 255.0, 1.0};
    webkit_web_view_set_background_color(view_, &rgba);
}

gboolean MovieView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error,
                                 gpointer self) {
    // A load cut short by the next one is no failure; anything else leaves the background.
    if (!g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)) {
        static_cast<MovieView*>(self)->showBlank();
    }
    return TRUE;
}

gboolean MovieView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, gpointer) {
    // Content the view cannot show would be downloaded; a movie never downloads.
    if (type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
    auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
    if (webkit_response_policy_decision_is_mime_type_supported(response)) return FALSE;
    webkit_policy_decision_ignore(decision);
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
    JSCValue* message = webkit_javascript_result_get_js_value(result);
    // A copy: the host's handler may destroy the control, and this view with it.
    FsCommandHandler handler = static_cast<MovieView*>(self)->onFsCommand_;
    handler(stringItem(message, 0), stringItem(message, 1));
}

gboolean MovieView::onContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                  WebKitHitTestResult*, gpointer) {
    return TRUE;  // WebKit's menu (Reload, Back...) has no place on a movie
}

}  // namespace controls::webmovie
