#include "app/TrackDialog.h"
#include "app/DialogParts.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/QtText.h"
#include "resources/Strings.h"

namespace tracklore::app {

namespace {

constexpr int LengthFieldLimit = 8;
constexpr int TextFieldLimit = static_cast<int>(decltype(Track::title)::maxLength);

}  // namespace

TrackDialog::TrackDialog(Session& session, int index, const UiFonts& fonts, QWidget* parent)
    : CentredDialog(parent), session_(session), index_(index) {
    shown_ = LoadTrackProperties(session.doc, index, session.timeFormat());
    const DialogPlacer place = PrepareDialog(this, Text(str::TrackDialogCaption), fonts.normal);
    const DialogBaseUnits units = place.units;

    auto* group =
        new QGroupBox(FromText(UiStrings().Format(str::TrackGroup, {shown_.number})), this);
    SetControlId(group, 101);
    group->setFont(fonts.bold);
    place(group, 8, 6, 190, 71);

    auto* lengthLabel = new QLabel(Text(str::TrackLengthLabel), this);
    place(lengthLabel, 16, 22, 35, 8);
    length_ = new QLineEdit(FromText(shown_.lengthText), this);
    SetControlId(length_, 102);
    length_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    length_->setMaxLength(LengthFieldLimit);
    length_->setToolTip(Text(str::TipTrackLength));
    place(length_, 52, 21, 46, 12);
    auto* unit = new QLabel(Text(shown_.lengthLabelId), this);
    SetControlId(unit, 103);
    place(unit, 102, 22, 87, 8);

    auto* titleLabel = new QLabel(Text(str::TrackTitleLabel), this);
    place(titleLabel, 16, 40, 35, 8);
    title_ = new QLineEdit(this);
    SetControlId(title_, 104);
    title_->setMaxLength(TextFieldLimit);
    title_->setText(FromText(shown_.title));
    title_->setToolTip(Text(str::TipTrackTitle));
    place(title_, 52, 39, 137, 12);

    auto* performerLabel = new QLabel(Text(str::TrackPerformerLabel), this);
    place(performerLabel, 16, 58, 35, 8);
    performer_ = new QLineEdit(this);
    SetControlId(performer_, 105);
    performer_->setMaxLength(TextFieldLimit);
    performer_->setText(FromText(shown_.performer));
    performer_->setToolTip(Text(str::TipTrackPerformer));
    place(performer_, 52, 56, 137, 12);

    ok_ = MakeDialogButton(this, Text(str::TrackOk), 1, Text(str::TipSettingsOk), true);
    place(ok_, 56, 85, 45, 15);
    cancel_ =
        MakeDialogButton(this, Text(str::TrackCancel), 2, Text(str::TipSettingsCancel), false);
    place(cancel_, 106, 85, 45, 15);
    connect(ok_, &QPushButton::clicked, this, &TrackDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &TrackDialog::reject);

    lengthLabel->setBuddy(length_);
    titleLabel->setBuddy(title_);
    performerLabel->setBuddy(performer_);
    setTabOrder(length_, title_);
    setTabOrder(title_, performer_);
    setTabOrder(performer_, ok_);
    setTabOrder(ok_, cancel_);

    setFixedSize(DialogSize(units, 207, 107));
    title_->setFocus();
}

void TrackDialog::accept() {
    TrackPropertiesEdit edit;
    edit.lengthText = ToText(length_->text());
    edit.title = ToText(title_->text());
    edit.performer = ToText(performer_->text());
    bool stored = ConfirmTrackProperties(session_, index_, shown_, edit, [this] {
        length_->setFocus();
        length_->selectAll();
    });
    if (stored) {
        QDialog::accept();
    }
}

}  // namespace tracklore::app
