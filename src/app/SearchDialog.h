#pragma once

#include <atomic>

#include "app/DialogParts.h"
#include "app/JobRunner.h"
#include "app/UiMetrics.h"
#include "flows/FreeDbFlow.h"
#include "flows/LookupFlow.h"
#include "flows/Session.h"
#include "freedb/Fetch.h"
#include "freedb/Search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tracklore::app {

class SettingsStore;

// "FreeDB Suche": words are looked up on the search page, the matching albums listed, and a
// double-click loads one through the transfer dialog. The source box offers two more searches by
// protocol: gnudb's (a hit loads its record as the page's hits do) and MusicBrainz's (a hit
// fills the texts of the open track list, whose starts stay). The result list shows one disabled
// message line before any search, while one runs, after a failed one and after one without
// results; otherwise the titles. The check box decides whether the dialog stays open after
// a load. There is no Cancel button and Escape does not close it; the close box does.
class SearchDialog : public CentredDialog {
    Q_OBJECT

  public:
    // The sources of the source box, in its order.
    enum Source { WebPage = 0, GnudbProtocol = 1, MusicBrainzRelease = 2 };

    SearchDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                 SearchOptions searchOptions = {}, TransferOptions transferOptions = {},
                 SettingsStore* store = nullptr);

    QLineEdit* WordsEdit() const { return words_; }
    QPushButton* SearchButton() const { return search_; }
    QListWidget* ResultList() const { return list_; }
    QLabel* StatusLine() const { return status_; }
    QCheckBox* KeepOpenBox() const { return keep_; }
    QComboBox* SourceBox() const { return source_; }
    const SearchResults& Results() const { return results_; }
    bool Searching() const { return searching_; }

    // The search button: a search for the words as typed, unless they are blank.
    void Search();
    // A double-click on a result line: loads its record.
    void LoadResult(QListWidgetItem* item);

    // The close box; while a search runs it is stopped first and the dialog closes after.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Source CurrentSource() const;
    // The search by protocol; its hits are listed like the page's.
    void SearchByProtocol(const std::string& words);
    // Before a search: the fields and the source locked, the list emptied, "searching" shown.
    void BeginSearch();
    // After it: the results shown, the fields free again, a close asked for meanwhile done.
    void EndSearch();
    // A hit of a search by protocol: gnudb's record loaded, or MusicBrainz's release applied.
    bool LoadHit(const DatabaseHit& hit);
    void ShowMessageLine(StringId line);
    void ShowResults();
    void SelectionChanged();

    Session& session_;
    UiFonts fonts_;
    SearchOptions searchOptions_;
    TransferOptions transferOptions_;
    TransferFlags flags_;
    SearchResults results_;
    // The hits of a search by protocol, in the order of results_.entries (empty for the page).
    std::vector<DatabaseHit> hits_;
    SettingsStore* store_ = nullptr;
    std::atomic<bool> cancel_{false};
    JobRunner runner_;
    bool searching_ = false;
    bool closePending_ = false;

    QLineEdit* words_ = nullptr;
    QPushButton* search_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* status_ = nullptr;
    QCheckBox* keep_ = nullptr;
    QComboBox* source_ = nullptr;
};

}  // namespace tracklore::app
