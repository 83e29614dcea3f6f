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
constexpr int Caption = 5500;
constexpr int OkText = 5501;
constexpr int CancelText = 5502;
constexpr int LabelCategory = 6700;
constexpr int LabelDiscId = 6701;
constexpr int LabelLink = 6702;
constexpr int SearchPageAddress = 6703;
constexpr int TipLink = 3017;
constexpr int TipCategory = 3018;
constexpr int TipDiscId = 3019;
constexpr int TipOk = 3020;
constexpr int TipCancel = 3012;

constexpr int DiscIdLimit = 8;

}  // namespace

FetchDialog::FetchDialog(Session& session, const UiFonts& fonts, QWidget* parent,
                         TransferOptions options)
    : CentredDialog(parent), session_(session), fonts_(fonts), options_(std::move(options)) {
    const DialogPlacer place = PrepareDialog(this, Text(Caption), fonts.normal);
    const DialogBaseUnits units = place.units;

    auto* categoryLabel = new QLabel(Text(LabelCategory), this);
    place(categoryLabel, 7, 9, 45, 8);
    category_ = new QComboBox(this);
    SetControlId(category_, 101);
    category_->setEditable(true);
    category_->setInsertPolicy(QComboBox::NoInsert);
    category_->setDuplicatesEnabled(true);
    category_->setCompleter(nullptr);  // what the user types stays as typed
    // Each entry carries its place in the category list; the box shows them sorted.
    const std::vector<std::string> categories = FetchCategories();
    for (std::size_t i = 0; i < categories.size(); ++i) {
        category_->addItem(FromCp1252(categories[i]), static_cast<int>(i));
    }
    category_->model()->sort(0);
    const QString preset = Text(str::FetchDefaultCategory);
    if (int index = category_->findText(preset); index >= 0) {
        category_->setCurrentIndex(index);
    } else {
        category_->setEditText(preset);
    }
    category_->setToolTip(Text(TipCategory));
    category_->lineEdit()->setToolTip(Text(TipCategory));
    place(category_, 52, 7, 82, 13);

    auto* discIdLabel = new QLabel(Text(LabelDiscId), this);
    place(discIdLabel, 7, 26, 45, 8);
    discId_ = new QLineEdit(this);
    SetControlId(discId_, 102);
    discId_->setMaxLength(DiscIdLimit);
    discId_->setToolTip(Text(TipDiscId));
    place(discId_, 52, 24, 82, 12);

    auto* linkLabel = new QLabel(Text(LabelLink), this);
    place(linkLabel, 7, 45, 186, 8);
    link_ = new LinkLabel(Text(SearchPageAddress), fonts.underlined, this);
    SetControlId(link_, 103);
    link_->setToolTip(Text(TipLink));
    // As wide as its text, so the hand shows only over the link itself.
    QRect linkPlace = DialogRect(units, 7, 55, 186, 8);
    linkPlace.setWidth(std::min(linkPlace.width(), link_->sizeHint().width()));
    link_->setGeometry(linkPlace);

    ok_ = MakeDialogButton(this, Text(OkText), 1, Text(TipOk), true);
    place(ok_, 143, 7, 50, 14);
    cancel_ = MakeDialogButton(this, Text(CancelText), 2, Text(TipCancel), false);
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
        ValidateFetchRequest(ToCp1252(category_->currentText()), ToCp1252(discId_->text()));
    if (!request) {
        return;
    }
    flags_.Clear();
    if (RunTransfer(session_, fonts_, this, *request, flags_, options_)) {
        QDialog::accept();
    }
}

}  // namespace tracklore::app
