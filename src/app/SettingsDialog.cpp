#include "app/SettingsDialog.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "model/Encoding.h"

#include "app/DialogParts.h"
#include "model/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "app/EditorApp.h"
#include "app/QtText.h"
#include "flows/LookupFlow.h"
#include "freedb/Fetch.h"
#include "resources/Strings.h"
#include "settings/SettingsFile.h"

namespace tracklore::app {

namespace {

constexpr int PriorityLowest = -2;
constexpr int PriorityHighest = 2;

// The choices of the language box, in its order, with the values the settings file holds.
constexpr std::string_view LanguageValues[] = {LanguageSettingAutomatic, LanguageSettingGerman,
                                               LanguageSettingEnglish};

}  // namespace

StringId PriorityNameId(int priority) {
    constexpr StringId Names[] = {str::PriorityLowest, str::PriorityLow, str::PriorityNormal,
                                  str::PriorityHigh, str::PriorityHighest};
    if (priority < PriorityLowest || priority > PriorityHighest) {
        return str::PriorityNormal;
    }
    return Names[priority - PriorityLowest];
}

SettingsDialog::SettingsDialog(Session& session, SettingsStore* store, const UiFonts& fonts,
                               QWidget* parent)
    : CentredDialog(parent), session_(session), store_(store) {
    const Settings& settings = session.settings;
    const DialogPlacer place = PrepareDialog(this, Text(str::SettingsCaption), fonts.normal);
    const DialogBaseUnits units = place.units;
    auto group = [&](int id, StringId textId, int x, int y, int w, int h) {
        auto* box = new QGroupBox(Text(textId), this);
        SetControlId(box, id);
        box->setFont(fonts.bold);
        place(box, x, y, w, h);
        return box;
    };
    auto label = [&](StringId textId, int x, int y, int w, int h) {
        auto* text = new QLabel(WithPlainLineBreaks(Text(textId)), this);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        place(text, x, y, w, h);
        return text;
    };

    group(101, str::SettingsFreeDbGroup, 7, 5, 229, 50);
    QLabel* urlLabel = label(str::SettingsUrlLabel, 13, 17, 45, 10);
    url_ = new QLineEdit(FromText(settings.URL), this);
    SetControlId(url_, 102);
    url_->setMaxLength(static_cast<int>(MaxSettingsValueLength));
    url_->setToolTip(Text(str::TipUrl));
    url_->setCursorPosition(0);
    place(url_, 63, 16, 165, 12);
    label(str::SettingsMarkers, 63, 32, 99, 17);
    standard_ = new QPushButton(Text(str::SettingsStandard), this);
    SetControlId(standard_, 106);
    standard_->setAutoDefault(false);
    standard_->setToolTip(Text(str::TipStandardUrl));
    place(standard_, 168, 33, 62, 15);
    connect(standard_, &QPushButton::clicked, this,
            [this] { url_->setText(Text(str::FetchDefaultUrl)); });

    group(103, str::SettingsScanGroup, 7, 59, 229, 33);
    QLabel* priorityLabel = label(str::SettingsPriorityLabel, 14, 74, 73, 10);
    priority_ = new QSlider(Qt::Horizontal, this);
    SetControlId(priority_, 104);
    priority_->setRange(PriorityLowest, PriorityHighest);
    priority_->setTickPosition(QSlider::TicksBelow);
    priority_->setTickInterval(1);
    priority_->setSingleStep(1);
    priority_->setPageStep(1);
    // A stored value outside the range stands at the nearest end; its name stays "normal"
    // until the bar is moved.
    priority_->setValue(settings.Priority);
    priority_->setToolTip(Text(str::TipPriority));
    place(priority_, 87, 68, 69, 19);
    priorityName_ = new QLabel(Text(PriorityNameId(settings.Priority)), this);
    SetControlId(priorityName_, 105);
    place(priorityName_, 164, 74, 66, 10);
    connect(priority_, &QSlider::valueChanged, this,
            [this](int position) { priorityName_->setText(Text(PriorityNameId(position))); });

    group(107, str::SettingsFormatsGroup, 7, 97, 229, 75);
    msh_ = new QCheckBox(Text(str::SettingsMsh), this);
    SetControlId(msh_, 108);
    msh_->setChecked(settings.MSH == 1);
    msh_->setToolTip(Text(str::TipMsh));
    place(msh_, 13, 109, 216, 11);
    // The code page of files without a byte-order mark that are not UTF-8, and the encoding
    // every document is saved in.
    QLabel* codePageLabel = label(str::SettingsCodePageLabel, 13, 124, 96, 10);
    codePage_ = new QComboBox(this);
    SetControlId(codePage_, 109);
    codePage_->setEditable(true);
    codePage_->addItems({"WINDOWS-1252", "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1253",
                         "ISO-8859-15", "ISO-8859-2", "KOI8-R", "SHIFT_JIS", "EUC-JP", "GBK",
                         "BIG5", "EUC-KR"});
    codePage_->setCurrentText(FromText(settings.LegacyCodePage));
    codePage_->setToolTip(Text(str::TipCodePage));
    place(codePage_, 112, 122, 116, 12);
    QLabel* saveLabel = label(str::SettingsSaveEncodingLabel, 13, 140, 96, 10);
    saveEncoding_ = new QComboBox(this);
    SetControlId(saveEncoding_, 110);
    for (StringId choice : {str::SaveEncodingAsRead, str::SaveEncodingUtf8Text,
                            str::SaveEncodingUtf8BomText, str::SaveEncodingWindows1252Text}) {
        saveEncoding_->addItem(Text(choice));
    }
    saveEncoding_->setCurrentIndex(
        std::clamp(settings.SaveEncoding, SaveEncodingAutomatic, SaveEncodingWindows1252));
    saveEncoding_->setToolTip(Text(str::TipSaveEncoding));
    place(saveEncoding_, 112, 138, 116, 12);
    codePageLabel->setBuddy(codePage_);
    saveLabel->setBuddy(saveEncoding_);
    chapters_ = new QCheckBox(Text(str::SettingsWriteChapters), this);
    SetControlId(chapters_, 111);
    chapters_->setChecked(settings.WriteChapters != 0);
    chapters_->setToolTip(Text(str::TipWriteChapters));
    place(chapters_, 13, 155, 216, 11);

    // The language: read once at start, so a change shows from the next start on.
    group(112, str::SettingsLanguageGroup, 7, 176, 229, 40);
    QLabel* languageLabel = label(str::SettingsLanguageLabel, 13, 190, 45, 10);
    language_ = new QComboBox(this);
    SetControlId(language_, 113);
    for (StringId choice : {str::LanguageAutomatic, str::LanguageGerman, str::LanguageEnglish}) {
        language_->addItem(Text(choice));
    }
    const auto chosen = std::find(std::begin(LanguageValues), std::end(LanguageValues),
                                  std::string_view(settings.Language));
    language_->setCurrentIndex(
        chosen == std::end(LanguageValues)
            ? 0
            : static_cast<int>(std::distance(std::begin(LanguageValues), chosen)));
    language_->setToolTip(Text(str::TipLanguage));
    // As wide as the address field: the first choice names what it does.
    place(language_, 63, 188, 165, 12);
    languageLabel->setBuddy(language_);
    label(str::SettingsLanguageNote, 13, 203, 216, 10);

    // The CD databases asked by protocol: who asks, and where.
    group(114, str::SettingsDatabaseGroup, 7, 220, 229, 77);
    auto databaseField = [&](StringId labelId, int id, const std::string& value, int y) {
        QLabel* text = label(labelId, 13, y + 2, 96, 10);
        auto* edit = new QLineEdit(FromText(value), this);
        SetControlId(edit, id);
        edit->setMaxLength(static_cast<int>(MaxSettingsValueLength));
        edit->setCursorPosition(0);
        place(edit, 112, y, 116, 12);
        text->setBuddy(edit);
        return edit;
    };
    email_ = databaseField(str::SettingsEmailLabel, 115, settings.Email, 232);
    clientName_ = databaseField(str::SettingsClientNameLabel, 116, settings.ClientName, 248);
    cddbAddress_ = databaseField(str::SettingsCddbAddressLabel, 117, settings.CddbAddress, 264);
    musicBrainzAddress_ =
        databaseField(str::SettingsMusicBrainzAddressLabel, 118, settings.MusicBrainzAddress, 280);

    ok_ = MakeDialogButton(this, Text(str::SettingsOk), 1, Text(str::TipSettingsOk), true);
    place(ok_, 69, 302, 50, 15);
    cancel_ =
        MakeDialogButton(this, Text(str::SettingsCancel), 2, Text(str::TipSettingsCancel), false);
    place(cancel_, 123, 302, 50, 15);
    connect(ok_, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &SettingsDialog::reject);

    urlLabel->setBuddy(url_);
    priorityLabel->setBuddy(priority_);
    setTabOrder(url_, standard_);
    setTabOrder(standard_, priority_);
    setTabOrder(priority_, msh_);
    setTabOrder(msh_, codePage_);
    setTabOrder(codePage_, saveEncoding_);
    setTabOrder(saveEncoding_, chapters_);
    setTabOrder(chapters_, language_);
    setTabOrder(language_, email_);
    setTabOrder(email_, clientName_);
    setTabOrder(clientName_, cddbAddress_);
    setTabOrder(cddbAddress_, musicBrainzAddress_);
    setTabOrder(musicBrainzAddress_, ok_);
    setTabOrder(ok_, cancel_);

    setFixedSize(DialogSize(units, 243, 321));
    url_->setFocus();
}

void SettingsDialog::accept() {
    const std::string url = ToText(url_->text());
    if (url.find("%x") == std::string::npos || url.find("%y") == std::string::npos) {
        // The text names the markers itself: shown as it stands, not as a format.
        Message message;
        message.textId = Number(str::UrlWithoutMarkers);
        message.captionId = Number(str::ErrorCaption);
        message.text = session_.Text(str::UrlWithoutMarkers);
        message.caption = session_.Text(str::ErrorCaption);
        message.buttons = MsgButtons::Ok;
        message.icon = MsgIcon::Warning;
        session_.ui.ShowMessage(message);
        url_->setFocus();
        return;
    }
    const std::string codePage = Trim(ToText(codePage_->currentText()));
    if (codePage.empty() || !IsKnownCodePage(codePage)) {
        ShowError(session_, str::UnknownCodePage, {codePage});
        codePage_->setFocus();
        return;
    }
    // An empty address is asked for at the first look-up.
    const std::string email = Trim(ToText(email_->text()));
    if (!email.empty() && !LooksLikeEmail(email)) {
        ShowError(session_, str::LookupEmailInvalid, {email});
        email_->setFocus();
        return;
    }
    const std::string clientName = Trim(ToText(clientName_->text()));
    const std::string cddbAddress = Trim(ToText(cddbAddress_->text()));
    const std::string musicBrainzAddress = Trim(ToText(musicBrainzAddress_->text()));
    Settings& settings = session_.settings;
    settings.URL = url;
    settings.Email = email;
    // An emptied name or address means the standard one, as a fresh settings file has it.
    settings.ClientName = clientName.empty() ? DefaultClientName : clientName;
    settings.CddbAddress = cddbAddress.empty() ? DefaultCddbAddress : cddbAddress;
    settings.MusicBrainzAddress =
        musicBrainzAddress.empty() ? DefaultMusicBrainzAddress : musicBrainzAddress;
    settings.LegacyCodePage = ToUpperAscii(codePage);
    settings.SaveEncoding = saveEncoding_->currentIndex();
    settings.Priority = priority_->value();
    settings.MSH = msh_->isChecked() ? 1 : 0;
    settings.WriteChapters = chapters_->isChecked() ? 1 : 0;
    // An unknown value in the file stays until another language is chosen.
    const int language = language_->currentIndex();
    if (language > 0 || ParseLanguageSetting(settings.Language)) {
        settings.Language = std::string(LanguageValues[std::clamp(language, 0, 2)]);
    }
    if (store_) {
        store_->Write(false);
    }
    // The time format may have changed: the rows show their times anew.
    session_.view.RefreshTrackTexts();
    QDialog::accept();
}

}  // namespace tracklore::app
