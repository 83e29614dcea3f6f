#include "app/SearchDialog.h"
#include "app/DialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <memory>

#include "app/LookupDialog.h"
#include "app/QtText.h"
#include "app/TransferDialog.h"
#include "flows/DatabaseHitFlow.h"
#include "model/Text.h"

namespace tracklore::app {

namespace {

constexpr int WordsLimit = 200;

}  // namespace

SearchDialog::SearchDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                           SearchOptions searchOptions, TransferOptions transferOptions,
                           SettingsStore* store)
    : CentredDialog(parent),
      session_(session),
      fonts_(fonts),
      searchOptions_(std::move(searchOptions)),
      transferOptions_(std::move(transferOptions)),
      store_(store) {
    searchOptions_.cancel = &cancel_;
    const DialogPlacer place = PrepareDialog(this, Text(str::SearchCaption), fonts.normal);
    const DialogBaseUnits units = place.units;

    auto* wordsLabel = new QLabel(Text(str::SearchWordsLabel), this);
    place(wordsLabel, 7, 9, 40, 8);
    words_ = new QLineEdit(this);
    SetControlId(words_, 101);
    words_->setMaxLength(WordsLimit);
    words_->setToolTip(Text(str::TipSearchWords));
    place(words_, 48, 7, 150, 12);

    search_ = new QPushButton(Text(str::SearchButton), this);
    SetControlId(search_, 102);
    search_->setDefault(true);
    search_->setToolTip(Text(str::TipSearchButton));
    place(search_, 204, 6, 50, 14);
    connect(search_, &QPushButton::clicked, this, &SearchDialog::Search);

    list_ = new QListWidget(this);
    SetControlId(list_, 103);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setToolTip(Text(str::TipSearchResults));
    list_->installEventFilter(this);
    place(list_, 7, 25, 247, 118);
    connect(list_, &QListWidget::itemSelectionChanged, this, &SearchDialog::SelectionChanged);
    connect(list_, &QListWidget::itemDoubleClicked, this, &SearchDialog::LoadResult);

    status_ = new QLabel(this);
    SetControlId(status_, 104);
    status_->setTextFormat(Qt::PlainText);
    place(status_, 7, 147, 247, 8);

    keep_ = new QCheckBox(Text(str::SearchKeepOpen), this);
    SetControlId(keep_, 105);
    keep_->setChecked(session.settings.SearchKeep != 0);
    keep_->setToolTip(Text(str::TipKeepOpen));
    place(keep_, 7, 160, 150, 10);

    // Where the words are looked up: the page, or a database by protocol.
    auto* sourceLabel = new QLabel(Text(str::SearchSourceLabel), this);
    place(sourceLabel, 7, 176, 40, 8);
    source_ = new QComboBox(this);
    SetControlId(source_, 106);
    source_->addItems({Text(str::SearchSourceWeb), Text(str::SearchSourceGnudb),
                       Text(str::SearchSourceMusicBrainz)});
    source_->setToolTip(Text(str::TipSearchSource));
    place(source_, 48, 174, 150, 12);
    sourceLabel->setBuddy(source_);

    wordsLabel->setBuddy(words_);
    setTabOrder(words_, search_);
    setTabOrder(search_, list_);
    setTabOrder(list_, keep_);
    setTabOrder(keep_, source_);

    ShowMessageLine(str::SearchIdle);
    setFixedSize(DialogSize(units, 261, 193));
    words_->setFocus();
}

void SearchDialog::ShowMessageLine(StringId line) {
    list_->clear();
    list_->addItem(Text(line));
    list_->setEnabled(false);
}

void SearchDialog::ShowResults() {
    if (!results_.ListEnabled()) {
        ShowMessageLine(results_.messageLine);
        return;
    }
    list_->clear();
    for (std::size_t i = 0; i < results_.entries.size(); ++i) {
        auto* item = new QListWidgetItem(FromText(results_.entries[i].title));
        item->setData(Qt::UserRole, static_cast<int>(i));
        list_->addItem(item);
    }
    list_->setEnabled(true);
}

SearchDialog::Source SearchDialog::CurrentSource() const {
    return static_cast<Source>(std::clamp(source_->currentIndex(), 0, 2));
}

namespace {

// Runs `work` as a job while the dialog keeps painting, and gives its result once it has ended.
template <typename Result, typename Work>
Result RunAndWait(JobRunner& runner, Work work) {
    Result result;
    QEventLoop wait;
    runner.Start<Result>([work](const JobContext&) { return work(); }, {},
                         [&](Result outcome) {
                             result = std::move(outcome);
                             wait.quit();
                         });
    wait.exec();
    return result;
}

}  // namespace

void SearchDialog::BeginSearch() {
    searching_ = true;
    cancel_ = false;
    words_->setEnabled(false);
    search_->setEnabled(false);
    source_->setEnabled(false);
    results_ = {};
    ShowMessageLine(str::SearchRunning);
    status_->clear();
}

void SearchDialog::EndSearch() {
    searching_ = false;
    ShowResults();
    words_->setEnabled(true);
    search_->setEnabled(true);
    source_->setEnabled(true);
    words_->setFocus();
    if (closePending_) {
        closePending_ = false;
        QDialog::reject();
    }
}

void SearchDialog::Search() {
    const std::string words = ToText(words_->text());
    if (searching_ || Trim(words).empty()) {
        return;
    }
    hits_.clear();
    if (CurrentSource() != WebPage) {
        SearchByProtocol(words);
        return;
    }
    BeginSearch();
    // The page is fetched and read by a job; its messages are shown here once it has ended.
    SearchOptions options = searchOptions_;
    options.legacyCodePage = session_.settings.LegacyCodePage;
    const StringTable& strings = session_.strings;
    const SearchOutcome found =
        RunAndWait<SearchOutcome>(runner_, [this, words, options, &strings] {
            JobContext search(cancel_);
            return SearchDatabase(words, options, strings, search);
        });
    results_ = ReportSearchOutcome(session_, found);
    EndSearch();
}

void SearchDialog::SearchByProtocol(const std::string& words) {
    if (!EnsureDatabaseEmail(session_, store_, fonts_, this)) {
        return;
    }
    BeginSearch();
    const LookupSources sources =
        CurrentSource() == GnudbProtocol ? LookupSources::Gnudb : LookupSources::MusicBrainz;
    const DatabaseClient client = DatabaseClientFromSettings(session_.settings);
    DatabaseSearchOutcome found =
        RunAndWait<DatabaseSearchOutcome>(runner_, [this, words, sources, client] {
            JobContext search(cancel_);
            return SearchDatabases(SplitSearchWords(words), sources, client, search);
        });
    if (!found.cancelled) {
        ReportSearchProblems(session_, found);
    }
    hits_ = std::move(found.hits);
    results_ = {};
    results_.messageLine = hits_.empty() ? str::SearchNothingFound : StringId::None;
    if (found.cancelled) {
        results_.messageLine = str::SearchIdle;
    }
    for (const DatabaseHit& hit : hits_) {
        results_.entries.push_back({hit.id, hit.discId, hit.artistTitle});
    }
    EndSearch();
}

bool SearchDialog::LoadHit(const DatabaseHit& hit) {
    const DatabaseClient client = DatabaseClientFromSettings(session_.settings);
    const int trackCount = session_.doc.trackCount;
    searching_ = true;
    setEnabled(false);
    const DatabaseHitRead read =
        RunAndWait<DatabaseHitRead>(runner_, [this, hit, trackCount, client] {
            JobContext job(cancel_);
            return ReadDatabaseHit(hit, trackCount, client, job);
        });
    setEnabled(true);
    searching_ = false;
    return ApplyDatabaseHitRead(session_, read);
}

void SearchDialog::SelectionChanged() {
    QListWidgetItem* item = list_->currentItem();
    if (!item || !item->isSelected() || !item->data(Qt::UserRole).isValid()) {
        return;
    }
    const auto index = static_cast<std::size_t>(item->data(Qt::UserRole).toInt());
    if (index < hits_.size()) {
        const DatabaseHit& hit = hits_[index];
        status_->setText(FromText(session_.Format(
            str::SearchHitStatusFormat,
            {static_cast<long long>(index) + 1, static_cast<long long>(hits_.size()),
             ToText(DatabaseSourceText(hit.source)), hit.id, hit.discId})));
        return;
    }
    status_->setText(FromText(SearchStatusText(results_, index, session_.strings)));
}

void SearchDialog::LoadResult(QListWidgetItem* item) {
    if (searching_ || !item || !item->data(Qt::UserRole).isValid()) {
        return;
    }
    const auto index = static_cast<std::size_t>(item->data(Qt::UserRole).toInt());
    if (index < hits_.size()) {
        if (!LoadHit(hits_[index])) {
            return;
        }
    } else {
        std::optional<FetchRequest> request = SearchEntryRequest(results_, index);
        if (!request) {
            return;
        }
        flags_.Clear();
        if (!RunTransfer(session_, fonts_, this, *request, flags_, transferOptions_)) {
            return;
        }
    }
    if (keep_->isChecked()) {
        session_.settings.SearchKeep = 1;
    } else {
        session_.settings.SearchKeep = 0;
        QDialog::accept();
    }
}

void SearchDialog::reject() {
    if (searching_) {
        cancel_ = true;
        closePending_ = true;
        return;
    }
    QDialog::reject();
}

void SearchDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();  // the dialog closes only through its close box
        return;
    }
    QDialog::keyPressEvent(event);
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a result loads it, as a double-click does (not a new search).
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && list_->currentItem() &&
            list_->currentItem()->isSelected()) {
            LoadResult(list_->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tracklore::app
