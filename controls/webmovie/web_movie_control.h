// The webmovie control: plays movies in a WebKitGTK view in place of the Flash control. An SWF
// movie plays in the Ruffle emulator; anything else is shown as an HTML page with a small API
// for FSCommand and ExternalInterface callbacks (docs/webmovie.md).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/control_abi.h"
#include "controls/core/flash_members.h"
#include "controls/core/movie_source.h"
#include "controls/webmovie/movie_scheme.h"
#include "controls/webmovie/movie_view.h"
#include "controls/webmovie/remote_fetch.h"

namespace controls::webmovie {

class WebMovieControl final : public platform::control_abi::Control {
  public:
    using InvokeResult = platform::control_abi::InvokeResult;
    using InvokeKind = platform::control_abi::InvokeKind;
    using Args = std::vector<platform::control_abi::Variant>;

    // `container` is the GtkWidget of the control's window; `instance` names its scheme host.
    WebMovieControl(platform::control_abi::ControlSite* site, GtkWidget* container, int instance);
    ~WebMovieControl() override;

    InvokeResult invoke(std::int32_t dispid, InvokeKind kind, const Args& args) override;
    void focus() override;

  private:
    InvokeResult putBackgroundColor(InvokeKind kind, const Args& args);
    InvokeResult play(InvokeKind kind, const Args& args);
    InvokeResult loadMovie(InvokeKind kind, const Args& args);
    InvokeResult callFunction(InvokeKind kind, const Args& args);

    void loadLocal(const MovieSource& source);
    void loadRemote(const MovieSource& source);
    void onRemoteFetched(const MovieSource& source, RemoteFetch::Result result);
    // `parameters`: variables for the movie that its URL does not carry, as a query.
    // Plays an SWF at `movieUrl` in Ruffle; a remote one names `relayBase` (see PlayerPage).
    void playSwf(const std::string& movieUrl, MovieFiles files, const std::string& parameters = {},
                 const std::string& relayBase = {});
    void publish(MovieFiles files);
    std::string baseUrl() const;

    platform::control_abi::ControlSite* site_;
    std::string host_;  // this control's host name in the movie scheme
    std::optional<std::uint32_t> background_;
    std::uint64_t loads_ = 0;  // in page URLs, so a new movie never comes from a cache
    RemoteFetch fetch_;
    MovieView view_;  // last: destroyed first, before what its pages use
};

}  // namespace controls::webmovie
