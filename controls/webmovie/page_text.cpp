#include "controls/webmovie/page_text.h"

#include <cstdint>
#include <cstdio>

#include "controls/core/external_value.h"
#include "controls/core/xml_text.h"
#include "controls/webmovie/relay_url.h"

namespace controls::webmovie {
namespace {

// invoke() answers [] when nothing is registered under the name, else [return value], so the
// control can tell "no such callback" from a callback that returns undefined. It runs only in a
// page of the movie's origin, and marks its messages with the movie's token. The page's own
// scripts run later and may replace any prototype or global, so everything the bridge calls is
// taken now and called through Reflect.apply; arrays it builds get their items defined, not
// assigned, and records have no prototype. The bounds are kReplyMax*.
constexpr const char* kBridge = R"JS((function (origin, token, maxDepth, maxValues, maxText) {
  "use strict";
  if (window.__vexoMovie || location.origin !== origin) return;
  const apply = Reflect.apply;
  const { isArray } = Array;
  const { keys, defineProperty, freeze } = Object;
  const hasOwn = Object.prototype.hasOwnProperty;
  const bind = Function.prototype.bind;
  const mapGet = Map.prototype.get, mapSet = Map.prototype.set;
  const dispatchEvent = EventTarget.prototype.dispatchEvent;
  const EventClass = Event, StringOf = String, TypeErrorClass = TypeError;
  const RangeErrorClass = RangeError;
  const fsHandler = window.webkit.messageHandlers.vexoFsCommand;
  const postMessage = fsHandler.postMessage;
  const videoHandler = window.webkit.messageHandlers.vexoVideo;
  const postVideo = videoHandler.postMessage;
  const MutationObserverClass = MutationObserver;
  const promiseThen = Promise.prototype.then;
  const callbacks = new Map();
  let player = null;
  function fscommand(command, args) {
    apply(postMessage, fsHandler,
          [[token, StringOf(command === undefined ? "" : command),
            StringOf(args === undefined ? "" : args)]]);
  }
  function addCallback(name, instanceOrFn, fn) {
    const callback = typeof fn === "function" ? apply(bind, fn, [instanceOrFn]) : instanceOrFn;
    if (typeof callback !== "function") throw new TypeErrorClass("addCallback needs a function");
    apply(mapSet, callbacks, [StringOf(name), callback]);
  }
  function define(list, index, value) {
    defineProperty(list, index,
                   { __proto__: null, value, writable: true, enumerable: true, configurable: true });
  }
  function tooLarge() { return new RangeErrorClass("the movie's reply is too large"); }
  function countText(budget, length) {
    budget.text += length;
    if (budget.text > maxText) throw tooLarge();
  }
  // What ExternalInterface carries: functions and the like become undefined, objects their
  // own enumerable properties, to maxDepth levels. An object goes as {o: [[key, value], ...]}:
  // the way to the control keeps the order of arrays but not of properties. Bounded in values
  // and text, so a value that shares its parts cannot make the reply explode.
  function plain(value, depth, budget) {
    if (++budget.values > maxValues) throw tooLarge();
    const type = typeof value;
    if (type === "string") {
      countText(budget, value.length);
      return value;
    }
    if (value === null || type === "number" || type === "boolean") return value;
    if (type !== "object" || depth >= maxDepth) return undefined;
    const out = [];
    if (isArray(value)) {
      const length = value.length;
      for (let i = 0; i < length; i++) define(out, i, plain(value[i], depth + 1, budget));
      return out;
    }
    const names = keys(value);
    for (let i = 0; i < names.length; i++) {
      const key = names[i];
      countText(budget, key.length);
      define(out, i, [key, plain(value[key], depth + 1, budget)]);
    }
    return { o: out };
  }
  function reply(value) {
    return [plain(value, 0, { __proto__: null, values: 0, text: 0 })];
  }
  function invoke(name, args) {
    if (player) {
      if (!apply(hasOwn, player.element, [name])) return [];
      const list = [name];
      for (let i = 0; i < args.length; i++) define(list, i + 1, args[i]);
      return reply(apply(player.call, player.api, list));
    }
    const callback = apply(mapGet, callbacks, [name]);
    return callback ? reply(apply(callback, null, args)) : [];
  }
  // Ruffle shows a video it cannot read in a box of its own, a <video> over the movie, which a
  // movie never sees in Flash: the box stays shut, its video goes, and the control names it.
  function refuseUnreadableVideos(element) {
    const shadow = element.shadowRoot;
    const holder = shadow && shadow.getElementById("video-holder");
    const box = shadow && shadow.getElementById("video-modal");
    if (!holder || !box) return;
    new MutationObserverClass(() => {
      for (const video of holder.querySelectorAll("video")) {
        apply(postVideo, videoHandler, [[token, "unreadable", StringOf(video.src)]]);
        video.removeAttribute("src");
        video.remove();
      }
      box.classList.add("hidden");
    }).observe(holder, { childList: true });
  }
  function attachPlayer(element) {
    try { refuseUnreadableVideos(element); } catch (e) {}
    const api = element.ruffle();
    player = { __proto__: null, element, api, call: api.callExternalInterface, resume: api.resume };
    apply(api.addFSCommandHandler, api, [(command, args) => { fscommand(command, args); return true; }]);
  }
  function play() {
    if (player) apply(player.resume, player.api, []);
    else apply(dispatchEvent, window, [new EventClass("vexoplay")]);
  }
  // Each codec a decoder is configured for is asked about too, so that one this machine cannot
  // decode is named on the console rather than leaving a black picture without a word.
  function watchDecoder(Decoder) {
    if (typeof Decoder !== "function" || typeof Decoder.isConfigSupported !== "function") return;
    const configure = Decoder.prototype.configure, isSupported = Decoder.isConfigSupported;
    const report = (codec) => (answer) => {
      if (!answer.supported) apply(postVideo, videoHandler, [[token, "decoder", codec]]);
    };
    Decoder.prototype.configure = function (config) {
      try {
        const codec = StringOf(config.codec);
        apply(promiseThen, apply(isSupported, Decoder, [config]), [report(codec), () => {}]);
      } catch (e) {}
      return apply(configure, this, [config]);
    };
  }
  watchDecoder(window.VideoDecoder);
  watchDecoder(window.AudioDecoder);
  defineProperty(window, "__vexoMovie",
                 { __proto__: null, value: freeze({ __proto__: null, invoke, attachPlayer, play }) });
  window.fscommand = fscommand;
  window.vexo = freeze({ __proto__: null, addCallback, fscommand });
  let external = window.external;
  if (external === undefined || external === null) {
    external = {};
    try {
      defineProperty(window, "external", { __proto__: null, value: external, configurable: true });
    } catch (e) {}
  }
  try { external.addCallback = addCallback; } catch (e) {}
})
)JS";

std::string jsString(const std::string& text) { return toJsLiteral({text}); }

std::string relayConfig(const PlayerPage& page) {
    if (page.relayBase.empty()) return {};
    return ",base:" + jsString(folderUrlOf(page.movieUrl)) +
           ",urlRewriteRules:[[/^(https?):\\/\\/(.*)$/i," +
           jsString(page.relayBase + kRelayPath + "$1/$2") + "]]";
}

std::string playerConfig(const PlayerPage& page) {
    return "{publicPath:" + jsString(page.publicPath) +
           ",autoplay:\"on\",unmuteOverlay:\"hidden\",splashScreen:false,contextMenu:\"off\""
           ",letterbox:\"off\",warnOnUnsupportedContent:false,polyfills:false"
           ",allowScriptAccess:true,logLevel:\"error\",backgroundColor:" +
           (page.background ? jsString(*page.background) : std::string("null")) +
           relayConfig(page) + "}";
}

}  // namespace

std::string bridgeScript(const std::string& origin, const std::string& token) {
    return kBridge +
           ("(" + jsString(origin) + "," + jsString(token) + "," + std::to_string(kReplyMaxDepth) +
            "," + std::to_string(kReplyMaxValues) + "," + std::to_string(kReplyMaxText) + ");\n");
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
