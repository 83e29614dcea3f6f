#pragma once

#include <atomic>

#include "app/DialogParts.h"
#include "app/JobRunner.h"
#include "app/UiMetrics.h"
#include "flows/FreeDbFlow.h"
#include "flows/Session.h"
#include "freedb/Fetch.h"
#include "freedb/Search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tracklore::app {

// "FreeDB Suche": words are looked up on the search page, the matching albums listed, and a
// double-click loads one through the transfer dialog. The result list shows one disabled
// message line before any search, while one runs, after a failed one and after one without
// results; otherwise the titles. The check box decides whether the dialog stays open after
// a load. There is no Cancel button and Escape does not close it; the close box does.
class SearchDialog : public CentredDialog {
    Q_OBJECT

  public:
    SearchDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                 SearchOptions searchOptions = {}, TransferOptions transferOptions = {});

    QLineEdit* WordsEdit() const { return words_; }
    QPushButton* SearchButton() const { return search_; }
    QListWidget* ResultList() const { return list_; }
    QLabel* StatusLine() const { return status_; }
    QCheckBox* KeepOpenBox() const { return keep_; }
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
    void ShowMessageLine(StringId line);
    void ShowResults();
    void SelectionChanged();

    Session& session_;
    UiFonts fonts_;
    SearchOptions searchOptions_;
    TransferOptions transferOptions_;
    TransferFlags flags_;
    SearchResults results_;
    std::atomic<bool> cancel_{false};
    JobRunner runner_;
    bool searching_ = false;
    bool closePending_ = false;

    QLineEdit* words_ = nullptr;
    QPushButton* search_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* status_ = nullptr;
    QCheckBox* keep_ = nullptr;
};

}  // namespace tracklore::app
