#pragma once

#include <cstddef>
#include <vector>

#include "app/DialogParts.h"
#include "app/JobRunner.h"
#include "app/UiMetrics.h"
#include "flows/LookupFlow.h"
#include "flows/Session.h"
#include "freedb/Database.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace tracklore::app {

class SettingsStore;

// The name of a database as the window shows it ("gnudb", "MusicBrainz").
QString DatabaseSourceText(DatabaseSource source);

// Asks for the e-mail address the CD databases want, with a short explanation, when the
// setting is empty. The address given is stored and written to the settings file at once.
// False when the person cancels (then nothing is asked of the databases).
bool EnsureDatabaseEmail(Session& session, SettingsStore* store, const UiFonts& fonts,
                         QWidget* owner);

// "Diese CD nachschlagen": asks gnudb and MusicBrainz for the open track list's table of
// contents on a job (progress and cancel in the dialog), lists every candidate (source,
// artist / title, year, tracks, how well the table of contents matched), and fills the texts
// of the track list from the one the person takes; starts and lengths stay. The dialog only
// reads the document; RunLookup applies the candidate taken once the dialog has closed.
class LookupDialog : public CentredDialog {
    Q_OBJECT

  public:
    LookupDialog(Session& session, const UiFonts& fonts, QWidget* parent, DatabaseClient client,
                 LookupSources sources = LookupSources::Both);

    QTreeWidget* CandidateList() const { return list_; }
    QPushButton* ApplyButton() const { return apply_; }
    QPushButton* CancelButton() const { return cancel_; }
    bool Running() const { return runner_.Running(); }
    // The look-up has ended and its candidates are listed.
    bool Listed() const { return listed_; }
    const std::vector<Candidate>& Candidates() const { return candidates_; }

    // Takes the selected candidate and closes the dialog; RunLookup then fills the track list
    // from it, so that a message about it shows over the main window.
    void ApplySelected();
    // The candidate taken, or nothing.
    const Candidate* Chosen() const {
        return chosen_ < 0 ? nullptr : &candidates_[static_cast<std::size_t>(chosen_)];
    }
    // Abbrechen, Escape and the close box: a running look-up is stopped first.
    void reject() override;

  protected:
    void FirstShown() override;

  private:
    void Finished(LookupOutcome outcome);
    void UpdateApplyButton();

    Session& session_;
    DatabaseClient client_;
    LookupSources sources_;
    TrackList list_copy_;
    std::vector<Candidate> candidates_;
    JobRunner runner_;
    bool closePending_ = false;
    bool listed_ = false;
    std::ptrdiff_t chosen_ = -1;

    QLabel* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The whole command: the e-mail asked for when missing, then the dialog. True when a
// candidate filled the track list.
bool RunLookup(Session& session, SettingsStore* store, const UiFonts& fonts, QWidget* owner);

}  // namespace tracklore::app
