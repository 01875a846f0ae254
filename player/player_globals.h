// Values the whole player shares: the two movie URLs from the command line and the number of
// the activation message that a second start broadcasts.
#pragma once

#include <string>

#include "platform/os/win32.h"

// The main movie (ends in "client.swf") and the play movie (ends in "clientplayer.swf").
extern std::string g_mainMovieUrl;
extern std::string g_playMovieUrl;

// The registered message "{BFDAE28B-944B-41AE-8865-BABE276E118B}", the same in the launcher.
platform::UINT activationMessage();

// Sets both URLs from the first command-line argument: every "client.swf" is removed and the
// rest is the base of both movies.
void setMovieUrls(const std::string& mainMovieArgument);
