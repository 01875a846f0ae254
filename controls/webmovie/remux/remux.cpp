#include "controls/webmovie/remux/remux.h"

#include <algorithm>
#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
}

#include "controls/webmovie/remux/remux_session.h"

namespace controls::webmovie::remux {
namespace {

constexpr const char* kTruncated = "the file is truncated";

int slotOf(const RemuxSession& session, int streamIndex) {
    if (streamIndex == session.choice.video) return 0;
    if (streamIndex == session.choice.audio) return 1;
    return -1;
}

std::string writePacket(RemuxSession& session, AVPacket& pkt, int slot) {
    AVStream* from = session.demuxer->streams[pkt.stream_index];
    AVStream* to = session.muxer->streams[session.outputIndex[slot]];
    if (session.retimer.start == AV_NOPTS_VALUE) {
        session.retimer.start = indexedStart(session.demuxer, session.choice, to->time_base);
    }
    retime(session.retimer, pkt, slot, from->time_base, to->time_base);
    pkt.stream_index = to->index;
    int err = av_interleaved_write_frame(session.muxer, &pkt);
    if (err < 0) return failureReason(session, err, "the streams cannot be written as FLV");
    return failureReason(session, 0, "");
}

// The bytes below the samples yet to be read need not be kept.
void forgetRead(RemuxSession& session, int slot, int64_t pos) {
    markRead(session.unread, session.demuxer, slot, pos);
    int64_t lowest = lowestUnread(session.unread);
    if (lowest >= 0) session.input->keepFrom = lowest;
}

// One packet from the demuxer to the muxer; false at the end of the input or on a problem.
bool copyPacket(RemuxSession& session, AVPacket& pkt, std::string& problem) {
    int err = av_read_frame(session.demuxer, &pkt);
    if (err < 0) {
        // The end of the input may be a read that failed on its way.
        problem = failureReason(session, err, err == AVERROR_EOF ? "" : "the file is damaged");
        return false;
    }
    // The demuxer marks a sample it could read only part of: the file ended inside it.
    if (pkt.flags & AV_PKT_FLAG_CORRUPT) problem = kTruncated;
    int slot = slotOf(session, pkt.stream_index);
    if (slot >= 0) forgetRead(session, slot, pkt.pos);
    if (problem.empty() && slot >= 0) problem = writePacket(session, pkt, slot);
    av_packet_unref(&pkt);
    return problem.empty();
}

std::string copyPackets(RemuxSession& session) {
    AVPacket* pkt = av_packet_alloc();
    if (!pkt) return failureReason(session, AVERROR(ENOMEM), "");
    std::string problem;
    while (copyPacket(session, *pkt, problem)) {
    }
    av_packet_free(&pkt);
    return problem;
}

int64_t indexEnd(const AVFormatContext* demuxer, int index) {
    if (index < 0) return 0;
    AVStream* st = demuxer->streams[index];
    int64_t end = 0;
    int count = avformat_index_get_entries_count(st);
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(st, i);
        end = std::max(end, entry->pos + entry->size);
    }
    return end;
}

// The demuxer ends at the end of the data as it ends at the end of the file; the index and
// the reads it asked for tell which it was.
std::string checkComplete(RemuxSession& session) {
    waitForBytes(*session.input, INT64_MAX);
    std::string problem = failureReason(session, 0, "");
    if (!problem.empty()) return problem;
    int64_t end = std::max(indexEnd(session.demuxer, session.choice.video),
                           indexEnd(session.demuxer, session.choice.audio));
    if (session.reader.readPastEnd || end > session.input->arrived) return kTruncated;
    return "";
}

std::string finish(RemuxSession& session) {
    std::string problem = checkComplete(session);
    if (!problem.empty()) return problem;
    int err = av_write_trailer(session.muxer);
    if (err < 0) return failureReason(session, err, "the streams cannot be written as FLV");
    avio_flush(session.muxer->pb);
    return failureReason(session, 0, "");
}

std::string run(RemuxSession& session) {
    std::string problem = openDemuxer(session);
    if (problem.empty()) startUnread(session.unread, session.demuxer, session.choice);
    if (problem.empty()) problem = openMuxer(session);
    if (problem.empty()) problem = copyPackets(session);
    if (problem.empty()) problem = finish(session);
    return problem;
}

}  // namespace

void closeSession(RemuxSession& session) {
    // What went out before a failure still goes out, as it would have packet by packet.
    if (session.outputIo && !session.sink->closed && !session.sink->error) {
        avio_flush(session.outputIo);
    }
    avformat_free_context(session.muxer);
    session.muxer = nullptr;
    closeFlvIo(&session.outputIo);
    avformat_close_input(&session.demuxer);
    closeInputIo(&session.inputIo);
}

std::string remuxToFlv(SpoolInput& input, FlvSink& sink) {
    RemuxSession session;
    session.input = &input;
    session.sink = &sink;
    // The tags ready leave whenever the input has to wait, so that a movie plays while its file
    // still arrives, and in large writes while it arrives faster than it plays.
    input.beforeWait = [&session] {
        if (session.outputIo && session.outputIo->buf_ptr > session.outputIo->buffer) {
            avio_flush(session.outputIo);
        }
    };
    std::string problem = run(session);
    input.beforeWait = nullptr;
    closeSession(session);
    return problem;
}

}  // namespace controls::webmovie::remux
