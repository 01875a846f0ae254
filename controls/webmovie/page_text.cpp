#include "controls/webmovie/page_text.h"

#include <cstdint>
#include <cstdio>

#include "controls/webmovie/external_value.h"
#include "controls/webmovie/xml_text.h"

namespace controls::webmovie {
namespace {

// invoke() answers [] when nothing is registered under the name, else [return value], so the
// control can tell "no such callback" from a callback that returns undefined.
// It runs only in a page of the movie's origin, and marks its messages with the movie's token.
constexpr const char* kBridge = R"JS((function (origin, token) {
  "use strict";
  if (window.__vexoMovie || location.origin !== origin) return;
  const callbacks = new Map();
  let player = null;
  const own = (object, name) => Object.prototype.hasOwnProperty.call(object, name);
  function fscommand(command, args) {
    window.webkit.messageHandlers.vexoFsCommand.postMessage(
        [token, String(command === undefined ? "" : command), String(args === undefined ? "" : args)]);
  }
  function addCallback(name, instanceOrFn, fn) {
    const callback = typeof fn === "function" ? fn.bind(instanceOrFn) : instanceOrFn;
    if (typeof callback !== "function") throw new TypeError("addCallback needs a function");
    callbacks.set(String(name), callback);
  }
  // What ExternalInterface carries: functions and the like become undefined, objects their
  // own enumerable properties, to 16 levels. An object goes as {o: [[key, value], ...]}: the
  // way to the control keeps the order of arrays but not of properties.
  function plain(value, depth) {
    if (value === null || ["string", "number", "boolean"].includes(typeof value)) return value;
    if (typeof value !== "object" || depth >= 16) return undefined;
    if (Array.isArray(value)) return value.map((item) => plain(item, depth + 1));
    return { o: Object.keys(value).map((key) => [key, plain(value[key], depth + 1)]) };
  }
  function invoke(name, args) {
    if (player) {
      return own(player, name) ? [plain(player.ruffle().callExternalInterface(name, ...args), 0)] : [];
    }
    const callback = callbacks.get(name);
    return callback ? [plain(callback.apply(null, args), 0)] : [];
  }
  function attachPlayer(ruffle) {
    player = ruffle;
    player.ruffle().addFSCommandHandler((command, args) => { fscommand(command, args); return true; });
  }
  function play() {
    if (player) player.ruffle().resume();
    else window.dispatchEvent(new Event("vexoplay"));
  }
  Object.defineProperty(window, "__vexoMovie", { value: Object.freeze({ invoke, attachPlayer, play }) });
  window.fscommand = fscommand;
  window.vexo = Object.freeze({ addCallback, fscommand });
  let external = window.external;
  if (external === undefined || external === null) {
    external = {};
    try { Object.defineProperty(window, "external", { value: external, configurable: true }); } catch (e) {}
  }
  try { external.addCallback = addCallback; } catch (e) {}
})
)JS";

std::string jsString(const std::string& text) { return toJsLiteral({text}); }

std::string playerConfig(const PlayerPage& page) {
    return "{publicPath:" + jsString(page.publicPath) +
           ",autoplay:\"on\",unmuteOverlay:\"hidden\",splashScreen:false,contextMenu:\"off\""
           ",letterbox:\"off\",warnOnUnsupportedContent:false,polyfills:false"
           ",allowScriptAccess:true,logLevel:\"error\",backgroundColor:" +
           (page.background ? jsString(*page.background) : std::string("null")) + "}";
}

}  // namespace

std::string bridgeScript(const std::string& origin, const std::string& token) {
    return kBridge + ("(" + jsString(origin) + "," + jsString(token) + ");\n");
}

std::string playerPageHtml(const PlayerPage& page) {
    // The page is transparent: around the stage the view's background shows.
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>"
           "html,body{margin:0;width:100%;height:100%;overflow:hidden;background:transparent}"
           "ruffle-player{display:block;width:100%;height:100%}</style></head><body>"
           "<script>window.RufflePlayer={config:" +
           playerConfig(page) + "};</script><script src=\"" +
           escapeXml(page.publicPath + "ruffle.js") +
           "\"></script><script>(function(){const player=window.RufflePlayer.newest()"
           ".createPlayer();document.body.appendChild(player);window.__vexoMovie.attachPlayer("
           "player);player.ruffle().load({url:" +
           jsString(page.movieUrl) + ",parameters:" + jsString(page.parameters) +
           ",allowScriptAccess:true});})();</script></body></html>";
}

std::string cssColour(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

}  // namespace controls::webmovie
