#include "controls/webmovie/remux/remux.h"

#include <algorithm>
#include <cstdint>

extern "C" {
#include <libavformat/avformat.h>
}

#include "controls/webmovie/remux/remux_session.h"

namespace {

constexpr const char* kTruncated = "the file is truncated";

int slot_of(const RemuxSession& session, int stream_index) {
    if (stream_index == session.choice.video) return 0;
    if (stream_index == session.choice.audio) return 1;
    return -1;
}

std::string write_packet(RemuxSession& session, AVPacket& pkt, int slot) {
    AVStream* from = session.demuxer->streams[pkt.stream_index];
    AVStream* to = session.muxer->streams[session.output_index[slot]];
    if (session.retimer.start == AV_NOPTS_VALUE) {
        session.retimer.start = indexed_start(session.demuxer, session.choice, to->time_base);
    }
    retime(session.retimer, pkt, slot, from->time_base, to->time_base);
    pkt.stream_index = to->index;
    int err = av_interleaved_write_frame(session.muxer, &pkt);
    if (err < 0) return failure_reason(session, err, "the streams cannot be written as FLV");
    // Each packet leaves at once, so that a movie plays while its file still arrives.
    avio_flush(session.muxer->pb);
    return failure_reason(session, 0, "");
}

// One packet from the demuxer to the muxer; false at the end of the input or on a problem.
bool copy_packet(RemuxSession& session, AVPacket& pkt, std::string& problem) {
    int err = av_read_frame(session.demuxer, &pkt);
    if (err < 0) {
        // The end of the input may be a read that failed on its way.
        problem = failure_reason(session, err, err == AVERROR_EOF ? "" : "the file is damaged");
        return false;
    }
    // The demuxer marks a sample it could read only part of: the file ended inside it.
    if (pkt.flags & AV_PKT_FLAG_CORRUPT) problem = kTruncated;
    int slot = slot_of(session, pkt.stream_index);
    if (problem.empty() && slot >= 0) problem = write_packet(session, pkt, slot);
    av_packet_unref(&pkt);
    return problem.empty();
}

std::string copy_packets(RemuxSession& session) {
    AVPacket* pkt = av_packet_alloc();
    if (!pkt) return failure_reason(session, AVERROR(ENOMEM), "");
    std::string problem;
    while (copy_packet(session, *pkt, problem)) {
    }
    av_packet_free(&pkt);
    return problem;
}

int64_t index_end(const AVFormatContext* demuxer, int index) {
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
std::string check_complete(RemuxSession& session) {
    wait_for_bytes(*session.input, INT64_MAX);
    std::string problem = failure_reason(session, 0, "");
    if (!problem.empty()) return problem;
    int64_t end = std::max(index_end(session.demuxer, session.choice.video),
                           index_end(session.demuxer, session.choice.audio));
    if (session.reader.read_past_end || end > session.input->arrived) return kTruncated;
    return "";
}

std::string finish(RemuxSession& session) {
    std::string problem = check_complete(session);
    if (!problem.empty()) return problem;
    int err = av_write_trailer(session.muxer);
    if (err < 0) return failure_reason(session, err, "the streams cannot be written as FLV");
    avio_flush(session.muxer->pb);
    return failure_reason(session, 0, "");
}

std::string run(RemuxSession& session) {
    std::string problem = open_demuxer(session);
    if (problem.empty()) problem = open_muxer(session);
    if (problem.empty()) problem = copy_packets(session);
    if (problem.empty()) problem = finish(session);
    return problem;
}

}  // namespace

void close_session(RemuxSession& session) {
    avformat_free_context(session.muxer);
    session.muxer = nullptr;
    close_flv_io(&session.output_io);
    avformat_close_input(&session.demuxer);
    close_input_io(&session.input_io);
}

std::string remux_to_flv(SpoolInput& input, FlvSink& sink) {
    RemuxSession session;
    session.input = &input;
    session.sink = &sink;
    std::string problem = run(session);
    close_session(session);
    return problem;
}
