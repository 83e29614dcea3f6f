#include "flows/EditingCommands.h"

#include <cmath>
#include <utility>
#include <vector>

#include "model/Text.h"
#include "model/Time.h"

namespace tracklore {

namespace {
// The selected track when it is one of the list's tracks, else -1.
int SelectedIndex(Session& session) {
    int s = session.view.SelectedTrack();
    return s >= 0 && s < session.doc.trackCount ? s : -1;
}

void UpdateDiscId(TrackList& doc) {
    doc.cd.discId = ComputeDiscId(doc);
}

// Exchanges tracks `upper` and upper + 1 so that the one moving up keeps its length and
// begins where the other began.
void ExchangeWithNext(TrackList& doc, int upper, std::int32_t lengthOfLower) {
    std::int32_t start = doc.tracks[upper].start;
    std::swap(doc.tracks[upper], doc.tracks[upper + 1]);
    doc.tracks[upper].start = start;
    doc.tracks[upper + 1].start = start + lengthOfLower;
}
}  // namespace

int InsertTrack(Session& session, const NewTrack& track, bool quiet) {
    TrackList& doc = session.doc;
    const int n = doc.trackCount;
    const std::int32_t length = track.length;
    if (n >= MaxTracks) {
        if (!quiet) {
            ShowError(session, str::TrackLimitReached);
        }
        return -1;
    }
    int m = session.view.SelectedTrack();
    std::int32_t start = LeadInFrames;
    if (m < 0 || m >= n) {
        if (n > 0) {
            std::int32_t last = TrackLength(doc, n - 1);
            if (last == UnknownLength) {
                ShowError(session, str::LastLengthUnknown);  // also when quiet
                return -1;
            }
            start = doc.tracks[n - 1].start + last;
        }
        m = n;
        if (length == UnknownLength) {
            doc.cd.totalSeconds = 0;
        } else if (doc.cd.totalSeconds == 0) {
            doc.cd.totalSeconds = NearestSeconds(static_cast<double>(start) + length);
        } else {
            doc.cd.totalSeconds += NearestSeconds(length);
        }
    } else {
        if (length == UnknownLength) {
            if (!quiet) {
                ShowError(session, str::UnknownBeforeOthers);
            }
            return -1;
        }
        start = doc.tracks[m].start;
        for (int i = n - 1; i >= m; --i) {
            doc.tracks[i + 1] = doc.tracks[i];
            doc.tracks[i + 1].start += length;
        }
        if (doc.cd.totalSeconds != 0) {
            doc.cd.totalSeconds += NearestSeconds(length);
        }
    }
    doc.tracks[m] = Track{};
    doc.trackCount = n + 1;
    doc.tracks[m].start = start;
    doc.tracks[m].title = track.title;
    doc.tracks[m].performer = track.performer;
    UpdateDiscId(doc);
    return m;
}

int InsertNewTrack(Session& session) {
    NewTrack track;
    track.title = session.Text(str::NewTrackTitle);
    track.performer = session.doc.cd.artist.str();
    track.length = NewTrackLength;
    int index = InsertTrack(session, track, false);
    if (index < 0) {
        return -1;
    }
    SetModified(session, true);
    session.view.RefreshMainWindow();
    session.view.SelectTrack(index);
    return index;
}

void CopyTrack(Session& session) {
    int s = SelectedIndex(session);
    if (s < 0) {
        return;
    }
    session.ui.PutClipboardText(
        TrackClipboardText(session.doc, s, session.timeFormat(), session.strings));
}

void DeleteTrack(Session& session) {
    TrackList& doc = session.doc;
    int s = SelectedIndex(session);
    if (s < 0) {
        return;
    }
    const int n = doc.trackCount;
    const std::int32_t length = TrackLength(doc, s);
    const std::int32_t lastStart = doc.tracks[n - 1].start;
    for (int i = s + 1; i < n; ++i) {
        doc.tracks[i - 1] = doc.tracks[i];
        doc.tracks[i - 1].start -= length;
    }
    doc.tracks[n - 1] = Track{};
    doc.trackCount = n - 1;
    if (doc.cd.totalSeconds != 0) {
        doc.cd.totalSeconds =
            NearestSeconds(static_cast<double>(doc.cd.totalSeconds) * FramesPerSecond - length);
    } else if (length == UnknownLength) {
        // The deleted track was the last, of unknown length: the one before it now ends
        // where the deleted one began.
        doc.cd.totalSeconds = NearestSeconds(lastStart);
    }
    UpdateDiscId(doc);
    SetModified(session, true);
    session.view.RefreshMainWindow();
}

void CutTrack(Session& session) {
    if (SelectedIndex(session) < 0) {
        return;
    }
    CopyTrack(session);
    DeleteTrack(session);
}

bool MoveTrackUp(Session& session) {
    TrackList& doc = session.doc;
    int s = SelectedIndex(session);
    if (s <= 0) {
        return true;
    }
    std::int32_t length = TrackLength(doc, s);
    if (length == UnknownLength) {
        ShowError(session, str::CannotMoveUnknown);
        return false;
    }
    ExchangeWithNext(doc, s - 1, length);
    UpdateDiscId(doc);
    SetModified(session, true);
    session.view.RefreshTrackTexts();
    session.view.SelectTrack(s - 1);
    return true;
}

bool MoveTrackDown(Session& session) {
    TrackList& doc = session.doc;
    int c = SelectedIndex(session);
    if (c < 0 || c >= doc.trackCount - 1) {
        return true;
    }
    std::int32_t length = TrackLength(doc, c + 1);
    if (length == UnknownLength) {
        ShowError(session, str::CannotMoveUnknown);
        return false;
    }
    ExchangeWithNext(doc, c, length);
    UpdateDiscId(doc);
    SetModified(session, true);
    session.view.RefreshTrackTexts();
    session.view.SelectTrack(c + 1);
    return true;
}

void SwapTitles(Session& session) {
    TrackList& doc = session.doc;
    if (doc.trackCount <= 0) {
        return;
    }
    for (int i = 0; i < doc.trackCount; ++i) {
        std::string title = doc.tracks[i].title.str();
        doc.tracks[i].title = doc.tracks[i].performer.str();
        doc.tracks[i].performer = title;
    }
    SetModified(session, true);
    session.view.RefreshTrackTexts();
}

void PasteTracks(Session& session) {
    const std::string text = LimitClipboardText(session.ui.ReadClipboardText());
    // A line counts only when a line end closes it. The clipboard form ends lines with
    // CR LF; text copied from Linux programs ends them with LF alone, which counts too.
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (true) {
        std::size_t lf = text.find('\n', pos);
        if (lf == std::string::npos) {
            break;
        }
        std::string_view line(text.data() + pos, lf - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        pos = lf + 1;
    }
    const int k = static_cast<int>(lines.size());
    const bool quiet = k != 1;
    const std::string unknown = session.Text(str::UnknownLength);
    int first = -1;
    int done = 0;
    for (std::string_view line : lines) {
        std::size_t tab1 = line.find('\t');
        std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos) {
            continue;  // not exactly two TABs
        }
        NewTrack track;
        track.performer = Trim(line.substr(0, tab1));
        track.title = Trim(line.substr(tab1 + 1, tab2 - tab1 - 1));
        std::string lengthText = Trim(line.substr(tab2 + 1));
        if (lengthText.empty() || lengthText == unknown) {
            track.length = UnknownLength;
        } else {
            track.length = ParseTime(lengthText, session.timeFormat());
            if (track.length == -1) {
                continue;
            }
        }
        int index = InsertTrack(session, track, quiet);
        if (index < 0) {
            break;
        }
        SetModified(session, true);
        session.view.RefreshMainWindow();
        // The next line lands after this one; after an append nothing is selected and the
        // next line is appended too.
        session.view.SelectTrack(index + 1);
        if (first < 0) {
            first = index;
        }
        ++done;
    }
    if (done > 0) {
        session.view.SelectTrack(first);
    }
    if (done > 0 && done < k) {
        ShowInfo(session, str::PasteCounts, {done, k - done, k});
    }
}

bool ConfirmTrackProperties(Session& session, int index, const TrackProperties& shown,
                            const TrackPropertiesEdit& edit,
                            const std::function<void()>& focusLength) {
    TrackList& doc = session.doc;
    if (index < 0 || index >= doc.trackCount) {
        return false;
    }
    std::int32_t length = UnknownLength;
    StringId problem = CheckTrackProperties(doc, index, shown, edit, session.timeFormat(), &length);
    if (problem != StringId::None) {
        if (focusLength) {
            focusLength();
        }
        ShowError(session, problem);
        return false;
    }
    if (length != shown.originalLength) {
        const bool last = index == doc.trackCount - 1;
        if (length == UnknownLength) {
            doc.cd.totalSeconds = 0;  // only the last track may be left open
        } else if (!last) {
            std::int32_t delta = length - (doc.tracks[index + 1].start - doc.tracks[index].start);
            for (int i = index + 1; i < doc.trackCount; ++i) {
                doc.tracks[i].start += delta;
            }
            if (doc.cd.totalSeconds != 0) {
                doc.cd.totalSeconds = NearestSeconds(
                    static_cast<double>(doc.cd.totalSeconds) * FramesPerSecond + delta);
            }
        } else {
            doc.cd.totalSeconds =
                NearestSeconds(static_cast<double>(doc.tracks[index].start) + length);
        }
        UpdateDiscId(doc);
    }
    doc.tracks[index].title = edit.title;
    doc.tracks[index].performer = edit.performer;
    SetModified(session, true);
    session.view.RefreshTrackTexts();
    return true;
}

}  // namespace tracklore
