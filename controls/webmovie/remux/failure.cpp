#include <cstring>

extern "C" {
#include <libavutil/error.h>
}

#include "controls/webmovie/remux/remux_session.h"

std::string failure_reason(const RemuxSession& session, int err, const std::string& otherwise) {
    if (session.input->too_large) return too_large_reason(*session.input);
    if (session.sink->closed) return "the stream was closed";
    if (session.sink->error) {
        return "cannot write the stream: " + std::string(strerror(session.sink->error));
    }
    if (session.input->read_error) {
        return "cannot read the file: " + std::string(strerror(session.input->read_error));
    }
    if (err == AVERROR(ENOMEM)) return "the file needs more memory than allowed";
    return otherwise;
}
