#include "controls/webmovie/web_movie_control.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "controls/core/invoke_request.h"
#include "controls/webmovie/js_call.h"
#include "controls/webmovie/origin_rules.h"
#include "controls/webmovie/page_text.h"
#include "controls/webmovie/served_files.h"

namespace controls::webmovie {
namespace {

using platform::control_abi::InvokeKind;
using platform::control_abi::InvokeResult;
using platform::control_abi::Variant;

// A movie that hangs must not hang its host.
constexpr unsigned kCallTimeoutMs = 5000;

void warn(const std::string& location, const std::string& why) {
    std::fputs(("webmovie: cannot play " + location + ": " + why + "\n").c_str(), stderr);
}

// The real path of a file: links resolved, so that the movie's folder is where the file is.
std::optional<std::string> realPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return std::nullopt;
    std::string text = real;
    std::free(real);
    return text;
}

// The first bytes of the regular file `name` in `folder`, or nullopt when there is none.
std::optional<std::string> fileHead(const Folder& folder, const std::string& name) {
    int fd = folder.openFile(name);
    if (fd < 0) return std::nullopt;
    char head[3] = {};
    ssize_t got = read(fd, head, sizeof head);
    close(fd);
    if (got < 0) return std::nullopt;
    return std::string(head, static_cast<std::size_t>(got));
}

// invoke() answers [] when the movie has no such callback, else [its return value].
InvokeResult replyOf(const JsOutcome& outcome, const std::string& name) {
    if (!outcome.ok) {
        return InvokeResult::failure("webmovie: CallFunction " + name + ": " + outcome.error);
    }
    const auto* answer = std::get_if<ExternalArray>(&outcome.value.v);
    if (!answer || answer->size() > 1) {
        return InvokeResult::failure("webmovie: CallFunction " + name +
                                     ": the page answered oddly");
    }
    return InvokeResult::success(answer->empty() ? std::string() : toReplyXml(answer->front()));
}

}  // namespace

WebMovieControl::WebMovieControl(platform::control_abi::ControlSite* site, GtkWidget* container,
                                 int instance)
    : site_(site),
      host_("movie" + std::to_string(instance)),
      view_(container, [this](const std::string& command, const std::string& args) {
          site_->fireEvent(kFsCommandEvent, {Variant(command), Variant(args)});
      }) {
    publish({});
}

WebMovieControl::~WebMovieControl() { withdrawMovieFiles(host_); }

InvokeResult WebMovieControl::invoke(std::int32_t dispid, InvokeKind kind, const Args& args) {
    try {
        switch (dispid) {
            case kPlay:
                return play(kind, args);
            case kBackgroundColor:
                return putBackgroundColor(kind, args);
            case kLoadMovie:
                return loadMovie(kind, args);
            case kCallFunction:
                return callFunction(kind, args);
            default:
                return noMember("webmovie", dispid);
        }
    } catch (const std::exception& e) {
        return InvokeResult::failure(std::string("webmovie: ") + e.what());
    }
}

void WebMovieControl::focus() { gtk_widget_grab_focus(GTK_WIDGET(view_.webView())); }

InvokeResult WebMovieControl::putBackgroundColor(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::PropertyPut) || !argsAre<std::int32_t>(args)) {
        return misuse("webmovie", "BackgroundColor", "is a property put of one integer colour");
    }
    std::int32_t colour = std::get<std::int32_t>(args[0]);
    // As in Flash, -1 (any negative value) gives the movie its own background back.
    background_ = colour < 0 ? std::nullopt : std::optional<std::uint32_t>(colour & 0xFFFFFF);
    view_.setBackground(background_);
    return InvokeResult::success();
}

InvokeResult WebMovieControl::play(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::Method) || !args.empty()) {
        return misuse("webmovie", "Play", "is a method without arguments");
    }
    evaluateLater(view_.webView(), "window.__vexoMovie && window.__vexoMovie.play()");
    return InvokeResult::success();
}

InvokeResult WebMovieControl::loadMovie(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::Method) || !argsAre<std::int32_t, std::string>(args)) {
        return misuse("webmovie", "LoadMovie", "is a method of an integer layer and a string URL");
    }
    const std::string& location = std::get<std::string>(args[1]);
    fetch_.cancel();
    ++loads_;
    view_.startMovie({});  // the old movie reaches the host no more
    std::string error;
    auto source = resolveMovieSource(location, &error);
    if (!source) {
        warn(location, error);
        publish({});
        view_.showBlank();
    } else if (source->kind == MovieSource::Kind::Remote) {
        loadRemote(*source);
    } else {
        loadLocal(*source);
    }
    return InvokeResult::success();  // as in Flash, a movie that cannot play is no call failure
}

InvokeResult WebMovieControl::callFunction(InvokeKind kind, const Args& args) {
    if (!hasKind(kind, InvokeKind::Method) || !argsAre<std::string>(args)) {
        return misuse("webmovie", "CallFunction", "is a method of one string request");
    }
    std::string error;
    auto request = parseInvokeRequest(std::get<std::string>(args[0]), &error);
    if (!request) return InvokeResult::failure("webmovie: CallFunction: " + error);
    std::string script = "window.__vexoMovie ? window.__vexoMovie.invoke(" +
                         toJsLiteral({request->name}) + "," +
                         toJsLiteral({ExternalArray(request->arguments)}) + ") : []";
    JsOutcome outcome = evaluateAndWait(view_.webView(), script, kCallTimeoutMs);
    // Nothing of `this` past here: a handler run while waiting may have destroyed the control.
    return replyOf(outcome, request->name);
}

void WebMovieControl::loadLocal(const MovieSource& source) {
    auto path = realPath(source.path);
    auto folder = path ? Folder::open(directoryOf(*path)) : std::nullopt;
    std::string name = path ? path->substr(path->rfind('/') + 1) : std::string();
    auto head = folder ? fileHead(*folder, name) : std::nullopt;
    if (!head) {
        warn(source.path, "no such file");
        publish({});
        return view_.showBlank();
    }
    MovieFiles files;
    files.folder = std::move(folder);
    std::string url = baseUrl() + encodeUrlPath(*path) + source.suffix;
    if (looksLikeSwf(*head)) return playSwf(url, std::move(files));
    files.htmlDocument = name;
    publish(std::move(files));
    view_.startMovie(originOf(baseUrl()));
    view_.loadUri(url);
}

void WebMovieControl::loadRemote(const MovieSource& source) {
    publish({});
    view_.showBlank();  // the old movie stops at once, as it would in Flash
    fetch_.start(source.url, [this, source](RemoteFetch::Result result) {
        onRemoteFetched(source, std::move(result));
    });
}

void WebMovieControl::onRemoteFetched(const MovieSource& source, RemoteFetch::Result result) {
    if (result.kind == RemoteFetch::Result::Kind::Failed) {
        warn(source.url, result.error);
        return view_.showBlank();
    }
    // A page is of the server it finally came from, after any redirects: it runs with that
    // origin's identity, never with the one of the URL asked for.
    const std::string& url = result.url;
    if (result.kind == RemoteFetch::Result::Kind::Page) {
        view_.startMovie(originOf(url));
        return view_.loadUri(url);
    }
    if (result.kind == RemoteFetch::Result::Kind::Document) {
        view_.startMovie(originOf(url));
        return view_.loadHtmlBytes(result.body, result.charset, url);
    }
    // Played from its own URL, through the relay: its loads reach its own server, and the query
    // of the URL it was asked for goes along as variables, as Flash gives them.
    MovieFiles files;
    files.relay = LoadRelay::create(url, std::move(result.body));
    playSwf(url, std::move(files), source.query, baseUrl());
}

void WebMovieControl::playSwf(const std::string& movieUrl, MovieFiles files,
                              const std::string& parameters, const std::string& relayBase) {
    PlayerPage page{movieUrl, baseUrl() + kRufflePath, std::nullopt, parameters, relayBase};
    if (background_) page.background = cssColour(*background_);
    files.playerPage = playerPageHtml(page);
    publish(std::move(files));
    view_.startMovie(originOf(baseUrl()));
    view_.loadUri(baseUrl() + kPlayerPath + "?load=" + std::to_string(loads_));
}

void WebMovieControl::publish(MovieFiles files) {
    publishMovieFiles(host_, view_, std::make_shared<const MovieFiles>(std::move(files)));
}

std::string WebMovieControl::baseUrl() const { return std::string(kScheme) + "://" + host_; }

}  // namespace controls::webmovie
