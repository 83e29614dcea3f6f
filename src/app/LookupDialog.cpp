#include "app/LookupDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/EditorApp.h"
#include "app/QtText.h"
#include "model/Text.h"

namespace tracklore::app {

namespace {

QString MatchText(const Candidate& candidate) {
    return Text(candidate.match == TocMatch::DiscId ? str::LookupMatchExact
                                                    : str::LookupMatchFuzzy);
}

// The e-mail question: the explanation, the field, OK and Cancel.
class EmailDialog : public CentredDialog {
  public:
    EmailDialog(Session& session, const UiFonts& fonts, QWidget* owner)
        : CentredDialog(owner), session_(session) {
        setWindowTitle(Text(str::LookupEmailCaption));
        setFont(fonts.normal);
        setWindowFlag(Qt::WindowContextHelpButtonHint, false);
        auto* layout = new QVBoxLayout(this);
        auto* explanation =
            new QLabel(WithPlainLineBreaks(Text(str::LookupEmailExplanation)), this);
        explanation->setWordWrap(true);
        layout->addWidget(explanation);
        auto* row = new QHBoxLayout;
        auto* label = new QLabel(Text(str::SettingsEmailLabel), this);
        edit_ = new QLineEdit(this);
        edit_->setMaxLength(200);
        label->setBuddy(edit_);
        row->addWidget(label);
        row->addWidget(edit_, 1);
        layout->addLayout(row);
        auto* buttons = new QDialogButtonBox(this);
        buttons->addButton(Text(str::SettingsOk), QDialogButtonBox::AcceptRole)->setDefault(true);
        buttons->addButton(Text(str::SettingsCancel), QDialogButtonBox::RejectRole);
        connect(buttons, &QDialogButtonBox::accepted, this, &EmailDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &EmailDialog::reject);
        layout->addWidget(buttons);
        setMinimumWidth(fontMetrics().averageCharWidth() * 60);
        edit_->setFocus();
    }

    std::string Address() const { return Trim(ToText(edit_->text())); }

    void accept() override {
        if (!LooksLikeEmail(Address())) {
            ShowError(session_, str::LookupEmailInvalid, {Address()});
            edit_->setFocus();
            return;
        }
        QDialog::accept();
    }

  private:
    Session& session_;
    QLineEdit* edit_ = nullptr;
};

}  // namespace

QString DatabaseSourceText(DatabaseSource source) {
    return Text(source == DatabaseSource::Gnudb ? str::SearchSourceGnudb
                                                : str::SearchSourceMusicBrainz);
}

bool EnsureDatabaseEmail(Session& session, SettingsStore* store, const UiFonts& fonts,
                         QWidget* owner) {
    if (!DatabaseEmailMissing(session.settings)) {
        return true;
    }
    EmailDialog dialog(session, fonts, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    session.settings.Email = dialog.Address();
    if (store) {
        store->Write(false);
    }
    return true;
}

LookupDialog::LookupDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                           DatabaseClient client, LookupSources sources)
    : CentredDialog(parent),
      session_(session),
      client_(std::move(client)),
      sources_(sources),
      list_copy_(session.doc) {
    setWindowTitle(Text(str::LookupCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(fonts.normal);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    status_ = new QLabel(Text(str::LookupRunning).trimmed(), this);
    status_->setTextFormat(Qt::PlainText);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    top->addWidget(status_, 1);
    top->addWidget(progress_);
    layout->addLayout(top);

    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({Text(str::LookupColumnSource), Text(str::LookupColumnAlbum),
                            Text(str::LookupColumnYear), Text(str::LookupColumnTracks),
                            Text(str::LookupColumnMatch)});
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list_->setEnabled(false);
    layout->addWidget(list_, 1);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &LookupDialog::UpdateApplyButton);
    connect(list_, &QTreeWidget::itemActivated, this, [this] { ApplySelected(); });

    auto* buttons = new QDialogButtonBox(this);
    apply_ = buttons->addButton(Text(str::LookupApply), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(Text(str::LookupCancel), QDialogButtonBox::RejectRole);
    apply_->setEnabled(false);
    connect(apply_, &QPushButton::clicked, this, &LookupDialog::ApplySelected);
    connect(cancel_, &QPushButton::clicked, this, &LookupDialog::reject);
    layout->addWidget(buttons);

    const QFontMetrics metrics(fonts.normal);
    resize(metrics.averageCharWidth() * 100, metrics.height() * 20);
    cancel_->setFocus();
}

void LookupDialog::FirstShown() {
    const TrackList& list = list_copy_;
    const DatabaseClient client = client_;
    const LookupSources sources = sources_;
    runner_.Start<LookupOutcome>(
        [&list, client, sources](const JobContext& job) {
            return LookUpTrackList(list, sources, client, job);
        },
        [this](const JobProgress& progress) {
            if (progress.percent >= 0) {
                progress_->setValue(progress.percent);
            }
        },
        [this](LookupOutcome outcome) { Finished(std::move(outcome)); });
}

void LookupDialog::Finished(LookupOutcome outcome) {
    progress_->setValue(100);
    if (closePending_ || outcome.cancelled) {
        QDialog::reject();
        return;
    }
    ReportLookupOutcome(session_, outcome);
    candidates_ = std::move(outcome.candidates);
    if (candidates_.empty()) {
        QDialog::reject();
        return;
    }
    status_->setText(
        FromText(session_.Format(str::LookupFound, {static_cast<int>(candidates_.size())})));
    progress_->hide();
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        const Candidate& candidate = candidates_[i];
        QString tracks = QString::number(candidate.TrackCount());
        auto* item = new QTreeWidgetItem({DatabaseSourceText(candidate.source),
                                          FromText(candidate.artist + " / " + candidate.title),
                                          FromText(candidate.year), tracks, MatchText(candidate)});
        if (candidate.trackCountDifference != 0) {
            item->setToolTip(3, FromText(session_.Format(
                                    str::LookupTrackCountDiffers,
                                    {candidate.TrackCount(), list_copy_.trackCount,
                                     std::min(candidate.TrackCount(), list_copy_.trackCount)})));
        }
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        list_->addTopLevelItem(item);
    }
    for (int column : {0, 2, 3, 4}) {
        list_->resizeColumnToContents(column);
    }
    list_->setEnabled(true);
    listed_ = true;
    list_->setCurrentItem(list_->topLevelItem(0));
    apply_->setDefault(true);
    list_->setFocus();
    UpdateApplyButton();
}

void LookupDialog::UpdateApplyButton() {
    QTreeWidgetItem* item = list_->currentItem();
    apply_->setEnabled(!runner_.Running() && item && item->isSelected());
}

void LookupDialog::ApplySelected() {
    QTreeWidgetItem* item = list_->currentItem();
    if (runner_.Running() || !item) {
        return;
    }
    const int index = item->data(0, Qt::UserRole).toInt();
    if (index < 0 || index >= static_cast<int>(candidates_.size())) {
        return;
    }
    chosen_ = index;
    QDialog::accept();
}

void LookupDialog::reject() {
    if (runner_.Running()) {
        runner_.Cancel();
        closePending_ = true;
        status_->setText(Text(str::LookupCancelling));
        cancel_->setEnabled(false);
        return;
    }
    QDialog::reject();
}

bool RunLookup(Session& session, SettingsStore* store, const UiFonts& fonts, QWidget* owner) {
    if (!TocOfTrackList(session.doc)) {
        LookupOutcome nothingToAsk;
        nothingToAsk.noToc = true;
        ReportLookupOutcome(session, nothingToAsk);
        return false;
    }
    if (!EnsureDatabaseEmail(session, store, fonts, owner)) {
        return false;
    }
    LookupDialog dialog(session, fonts, owner, DatabaseClientFromSettings(session.settings));
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) {
        return false;
    }
    ApplyCandidateToDocument(session, *dialog.Chosen());
    return true;
}

}  // namespace tracklore::app
