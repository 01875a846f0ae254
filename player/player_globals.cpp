#include "player/player_globals.h"

#include "platform/registered_message.h"

std::string g_mainMovieUrl;
std::string g_playMovieUrl;

platform::UINT activationMessage() {
    static const platform::UINT message =
        platform::registerWindowMessage("{BFDAE28B-944B-41AE-8865-BABE276E118B}");
    return message;
}

void setMovieUrls(const std::string& mainMovieArgument) {
    static const std::string kMainMovie = "client.swf";
    std::string base = mainMovieArgument;
    for (auto at = base.find(kMainMovie); at != std::string::npos; at = base.find(kMainMovie, at))
        base.erase(at, kMainMovie.size());
    g_mainMovieUrl = base + "client.swf";
    g_playMovieUrl = base + "clientplayer.swf";
}
