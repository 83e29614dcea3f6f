#pragma once

#include <QObject>
#include <QUndoStack>
#include <functional>

#include "flows/Session.h"

namespace tracklore::app {

// True when two documents hold the same tracks, album fields and file; the modified flag is
// not compared.
bool SameDocument(const tracklore::TrackList& a, const tracklore::TrackList& b);

// The editor's history of changes to the document, kept on Qt's undo stack. A step holds the
// document as it was before and after the change, so every flow can be recorded as it is:
// the flow runs, and what it changed becomes one step.
//
// The modified mark follows the stack's clean state when the user moves through the
// history (back at the saved state the mark goes away); a change itself marks the document
// as its flow always did. Opening or starting a document begins a fresh history.
class UndoHistory : public QObject {
  public:
    // The largest number of steps kept; older ones fall off.
    static constexpr int StepLimit = 200;

    explicit UndoHistory(Session& session, QObject* parent = nullptr);

    // Runs `flow`, which changes session.doc the way the flows do (marking it modified and
    // refreshing the window itself), and keeps what it changed as one step named after
    // `label`. A flow that changed nothing (a cancelled dialog, a refused command) adds no
    // step. Steps with the same `mergeId` (not -1) recorded during one visit of a field
    // (see EndMerge) become one step. A Record inside a running Record belongs to the outer
    // step. True when the document changed.
    bool Record(StringId label, const std::function<void()>& flow, int mergeId = -1);

    bool CanUndo() const { return stack_.canUndo(); }
    bool CanRedo() const { return stack_.canRedo(); }
    // Puts the document back as it was before the last step (Undo) or after the next one
    // (Redo); the modified mark then says whether this is the saved state; the window is
    // refreshed.
    void Undo();
    void Redo();

    // The next change, even of the same field, begins a step of its own (a field got the
    // focus anew).
    void EndMerge() { ++visit_; }
    // A fresh history for a document just started or opened: the current state counts as
    // saved when the document is not marked modified.
    void Reset();
    // The document was written; `beforeSave` is the document just before. The current state
    // becomes the saved one, and the steps that belong to the same file learn its new name,
    // kind, encoding and audio file name, so moving through the history never takes the
    // document back to a name it no longer has.
    void MarkSaved(const tracklore::TrackList& beforeSave);

    // The stack, for its signals (canUndoChanged, canRedoChanged, cleanChanged).
    const QUndoStack& Stack() const { return stack_; }

  private:
    friend class DocumentStep;
    // Puts a document value in place, keeping the modified flag.
    void Restore(const tracklore::TrackList& value);
    // After moving through the history: the mark, the window.
    void Moved();

    Session& session_;
    QUndoStack stack_;
    int visit_ = 0;
    bool recording_ = false;
};

}  // namespace tracklore::app
