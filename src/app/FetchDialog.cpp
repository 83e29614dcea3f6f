#include "app/FetchDialog.h"
#include "app/DialogParts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/LinkLabel.h"
#include "app/QtText.h"
#include "app/TransferDialog.h"

namespace tracklore::app {

namespace {

constexpr int DiscIdLimit = 8;

}  // namespace

FetchDialog::FetchDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                         TransferOptions options)
    : CentredDialog(parent), session_(session), fonts_(fonts), options_(std::move(options)) {
    const DialogPlacer place = PrepareDialog(this, Text(str::FetchCaption), fonts.normal);
    const DialogBaseUnits units = place.units;

    auto* categoryLabel = new QLabel(Text(str::FetchCategoryLabel), this);
    place(categoryLabel, 7, 9, 45, 8);
    category_ = new TypedTextComboBox(this);
    SetControlId(category_, 101);
    category_->setEditable(true);
    category_->setInsertPolicy(QComboBox::NoInsert);
    category_->setDuplicatesEnabled(true);
    category_->setCompleter(nullptr);  // what the user types stays as typed
    // Each entry carries its place in the category list; the box shows them sorted.
    const std::vector<std::string> categories = FetchCategories(session_.strings);
    for (std::size_t i = 0; i < categories.size(); ++i) {
        category_->addItem(FromText(categories[i]), static_cast<int>(i));
    }
    category_->model()->sort(0);
    const QString preset = Text(str::FetchDefaultCategory);
    if (int index = category_->findText(preset); index >= 0) {
        category_->setCurrentIndex(index);
    } else {
        category_->setEditText(preset);
    }
    category_->setToolTip(Text(str::TipCategory));
    category_->lineEdit()->setToolTip(Text(str::TipCategory));
    place(category_, 52, 7, 82, 13);

    auto* discIdLabel = new QLabel(Text(str::FetchDiscIdLabel), this);
    place(discIdLabel, 7, 26, 45, 8);
    discId_ = new QLineEdit(this);
    SetControlId(discId_, 102);
    discId_->setMaxLength(DiscIdLimit);
    discId_->setToolTip(Text(str::TipDiscId));
    place(discId_, 52, 24, 82, 12);

    auto* linkLabel = new QLabel(Text(str::FetchLinkLabel), this);
    place(linkLabel, 7, 45, 186, 8);
    link_ = new LinkLabel(Text(str::SearchPageAddress), fonts.underlined, this);
    SetControlId(link_, 103);
    link_->setToolTip(Text(str::TipSearchLink));
    // As wide as its text, so the hand shows only over the link itself.
    QRect linkPlace = DialogRect(units, 7, 55, 186, 8);
    linkPlace.setWidth(std::min(linkPlace.width(), link_->sizeHint().width()));
    link_->setGeometry(linkPlace);

    ok_ = MakeDialogButton(this, Text(str::FetchOk), 1, Text(str::TipFetchOk), true);
    place(ok_, 143, 7, 50, 14);
    cancel_ = MakeDialogButton(this, Text(str::FetchCancel), 2, Text(str::TipClose), false);
    place(cancel_, 143, 24, 50, 14);
    connect(ok_, &QPushButton::clicked, this, &FetchDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &FetchDialog::reject);

    categoryLabel->setBuddy(category_);
    discIdLabel->setBuddy(discId_);
    setTabOrder(category_, discId_);
    setTabOrder(discId_, ok_);
    setTabOrder(ok_, cancel_);

    setFixedSize(DialogSize(units, 200, 69));
    discId_->setFocus();
}

void FetchDialog::accept() {
    std::optional<FetchRequest> request =
        ValidateFetchRequest(ToText(category_->currentText()), ToText(discId_->text()));
    if (!request) {
        return;
    }
    flags_.Clear();
    if (RunTransfer(session_, fonts_, this, *request, flags_, options_)) {
        QDialog::accept();
    }
}

}  // namespace tracklore::app
