#include <cstring>

extern "C" {
#include <libavutil/error.h>
}

#include "controls/webmovie/remux/remux_session.h"

namespace controls::webmovie::remux {

std::string failureReason(const RemuxSession& session, int err, const std::string& otherwise) {
    if (session.input->tooLarge) return tooLargeReason(*session.input);
    if (session.sink->closed) return "the stream was closed";
    if (session.sink->error) {
        return "cannot write the stream: " + std::string(strerror(session.sink->error));
    }
    if (session.input->readError) {
        return "cannot read the file: " + std::string(strerror(session.input->readError));
    }
    if (err == AVERROR(ENOMEM)) return "the file needs more memory than allowed";
    return otherwise;
}

}  // namespace controls::webmovie::remux
