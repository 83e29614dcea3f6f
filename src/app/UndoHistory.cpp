#include "app/UndoHistory.h"

#include <QUndoCommand>
#include <utility>

#include "app/QtText.h"

namespace tracklore::app {

namespace {

// A step's name from the text of a menu item or a field label: without the key text, the
// accelerator marks, the dots of a dialog item and a label's colon ("Ein&fügen\tCtrl+V" gives
// "Einfügen").
QString StepName(StringId label) {
    QString name = Text(label);
    name.truncate(name.indexOf(QLatin1Char('\t')) < 0 ? name.size()
                                                      : name.indexOf(QLatin1Char('\t')));
    QString plain;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == QLatin1Char('&') && i + 1 < name.size()) {
            ++i;  // "&&" stands for "&", "&x" for an underlined x
        }
        plain += name[i];
    }
    plain = plain.trimmed();
    if (plain.endsWith(QStringLiteral("..."))) {
        plain.chop(3);
    }
    if (plain.endsWith(QLatin1Char(':'))) {
        plain.chop(1);
    }
    return plain.trimmed();
}

// The parts of a document that name its file.
bool SameFile(const tracklore::TrackList& a, const tracklore::TrackList& b) {
    return a.documentPath == b.documentPath && a.documentKind == b.documentKind;
}

}  // namespace

bool SameDocument(const tracklore::TrackList& a, const tracklore::TrackList& b) {
    return a.trackCount == b.trackCount && a.cd == b.cd && a.tracks == b.tracks && SameFile(a, b) &&
           a.encoding == b.encoding;
}

// One change to the document: its value before and after. Pushing it does nothing, as the
// flow already changed the document.
class DocumentStep : public QUndoCommand {
  public:
    DocumentStep(UndoHistory& history, const QString& name, tracklore::TrackList before,
                 tracklore::TrackList after, int mergeId, int visit)
        : QUndoCommand(name),
          history_(history),
          before_(std::move(before)),
          after_(std::move(after)),
          mergeId_(mergeId),
          visit_(visit) {}

    int id() const override { return mergeId_; }

    bool mergeWith(const QUndoCommand* other) override {
        // Only steps of this class carry a merge id.
        const auto* next = static_cast<const DocumentStep*>(other);
        if (next->visit_ != visit_) {
            return false;
        }
        after_ = next->after_;
        return true;
    }

    void undo() override { history_.Restore(before_); }

    void redo() override {
        if (pushed_) {
            history_.Restore(after_);
        }
        pushed_ = true;
    }

    // The document was saved under another name, kind or encoding: the values of this step
    // that belong to the file saved follow it.
    void FollowSave(const tracklore::TrackList& old, const tracklore::TrackList& now) {
        for (tracklore::TrackList* value : {&before_, &after_}) {
            if (!SameFile(*value, old)) {
                continue;
            }
            value->documentPath = now.documentPath;
            value->documentKind = now.documentKind;
            value->encoding = now.encoding;
            if (value->cd.audioFile == old.cd.audioFile) {
                value->cd.audioFile = now.cd.audioFile;
            }
        }
    }

  private:
    UndoHistory& history_;
    tracklore::TrackList before_;
    tracklore::TrackList after_;
    int mergeId_;
    int visit_;
    bool pushed_ = false;
};

UndoHistory::UndoHistory(Session& session, QObject* parent)
    : QObject(parent), session_(session), stack_(this) {
    stack_.setUndoLimit(StepLimit);
}

bool UndoHistory::Record(StringId label, const std::function<void()>& flow, int mergeId) {
    if (recording_) {
        flow();
        return false;
    }
    tracklore::TrackList before = session_.doc;
    recording_ = true;
    struct EndRecording {
        bool& flag;
        ~EndRecording() { flag = false; }
    } end{recording_};
    flow();
    if (SameDocument(before, session_.doc)) {
        return false;
    }
    stack_.push(
        new DocumentStep(*this, StepName(label), std::move(before), session_.doc, mergeId, visit_));
    return true;
}

void UndoHistory::Undo() {
    if (stack_.canUndo()) {
        stack_.undo();
        Moved();
    }
}

void UndoHistory::Redo() {
    if (stack_.canRedo()) {
        stack_.redo();
        Moved();
    }
}

void UndoHistory::Reset() {
    stack_.clear();
    if (session_.doc.modified) {
        stack_.resetClean();
    }
    EndMerge();
}

void UndoHistory::MarkSaved(const tracklore::TrackList& beforeSave) {
    for (int i = 0; i < stack_.count(); ++i) {
        // The stack hands out its steps as const; they are this history's own.
        auto* step = const_cast<DocumentStep*>(static_cast<const DocumentStep*>(stack_.command(i)));
        step->FollowSave(beforeSave, session_.doc);
    }
    stack_.setClean();
    EndMerge();
}

void UndoHistory::Restore(const tracklore::TrackList& value) {
    const bool modified = session_.doc.modified;
    session_.doc = value;
    session_.doc.modified = modified;
}

void UndoHistory::Moved() {
    // A field typed in before and after the move makes two steps.
    EndMerge();
    SetModified(session_, !stack_.isClean());
    session_.view.RefreshMainWindow();
}

}  // namespace tracklore::app
