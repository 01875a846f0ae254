#include "controls/webmovie/remux/unread_samples.h"

#include <algorithm>

extern "C" {
#include <libavformat/avformat.h>
}

namespace controls::webmovie::remux {
namespace {

// A packet's position is looked for this far past the first unread entry: a parser may hold
// back a packet or two, and a packet not found leaves the track behind, which is safe.
constexpr int kSearch = 64;

void reindex(UnreadSamples::Track& track, const AVFormatContext* demuxer) {
    const AVStream* st = demuxer->streams[track.stream];
    int count = avformat_index_get_entries_count(st);
    track.lowestPos.assign(count, INT64_MAX);
    int64_t lowest = INT64_MAX;
    for (int i = count - 1; i >= 0; --i) {
        lowest = std::min(lowest, avformat_index_get_entry(const_cast<AVStream*>(st), i)->pos);
        track.lowestPos[i] = lowest;
    }
}

}  // namespace

void startUnread(UnreadSamples& unread, const AVFormatContext* demuxer,
                 const StreamChoice& choice) {
    unread = UnreadSamples{};
    int slot = 0;
    for (int index : {choice.video, choice.audio}) {
        UnreadSamples::Track& track = unread.tracks[slot++];
        track.stream = index;
        if (index >= 0) reindex(track, demuxer);
    }
}

void markRead(UnreadSamples& unread, const AVFormatContext* demuxer, int slot, int64_t pos) {
    // A fragmented file's index grows as its fragments are read.
    for (UnreadSamples::Track& track : unread.tracks) {
        if (track.stream >= 0 && avformat_index_get_entries_count(demuxer->streams[track.stream]) !=
                                     static_cast<int>(track.lowestPos.size())) {
            reindex(track, demuxer);
        }
    }
    UnreadSamples::Track& track = unread.tracks[slot];
    if (track.stream < 0 || pos < 0) return;
    AVStream* st = demuxer->streams[track.stream];
    int count = static_cast<int>(track.lowestPos.size());
    for (int i = track.next; i < count && i < track.next + kSearch; ++i) {
        if (avformat_index_get_entry(st, i)->pos == pos) {
            track.next = i + 1;
            return;
        }
    }
}

int64_t lowestUnread(const UnreadSamples& unread) {
    int64_t lowest = INT64_MAX;
    for (const UnreadSamples::Track& track : unread.tracks) {
        if (track.stream >= 0 && track.next < static_cast<int>(track.lowestPos.size())) {
            lowest = std::min(lowest, track.lowestPos[track.next]);
        }
    }
    return lowest == INT64_MAX ? -1 : lowest;
}

}  // namespace controls::webmovie::remux
