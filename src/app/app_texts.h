// Captions, messages and the maker's addresses shown by the desktop program.
//
// The maker's addresses, numbers and names are neutral placeholders of our
// own: the update and home page host lives under the reserved ".example"
// domain, so a start-up without network access, or with it, never reaches a
// stranger's server.
#pragma once

#include <QString>

namespace qinghe::app {

// Window and tray.
extern const QString kWindowTitle;
extern const QString kTrayTip;
extern const QString kPopupMenuTitle;

// Controls.
extern const QString kAddressPlaceholder;
extern const QString kAddressLabel;
extern const QString kTipsText;
extern const QString kShopLinkButton;
extern const QString kSaveFolderLabel;
extern const QString kBrowseButton;
extern const QString kOpenFolderButton;
extern const QString kStyleSheetLabel;
extern const QString kSiteLabel;
extern const QString kFileListLabel;
extern const QString kStartButton;
extern const QString kWelcomeStatus;
extern const QString kGroupLabel;
extern const QString kSupportLink1;
extern const QString kSupportLink2;
extern const QString kFavouritesLink;

// Option boxes.
extern const QString kMainPicturesBox;
extern const QString kDetailPicturesBox;
extern const QString kOtherPicturesBox;
extern const QString kSmartSaveBox;
extern const QString kShowTitleBox;
extern const QString kExportPackageBox;
extern const QString kIndependentRadio;
extern const QString kCompositeRadio;
extern const QString kRemoveLinksBox;

// Popup menu entries, in menu order (separators are not listed).
extern const QString kMenuOpenShop;
extern const QString kMenuFavouriteShop;
extern const QString kMenuFavouriteSupportShop;
extern const QString kMenuHomePage;
extern const QString kMenuDownloadNew;
extern const QString kMenuHelp;
extern const QString kMenuQuit;
// Added after the address box's own editing entries.
extern const QString kMenuStopDownload;
extern const QString kMenuRetryFailed;

// Dialogs and messages.
extern const QString kFolderPickerTitle;
extern const QString kDuplicateMessage;
extern const QString kDuplicateCaption;
extern const QString kUpdateMessage;
extern const QString kUnusableFolderMessage;

// The maker's places.
extern const QString kUpdateAddress;  // ends in "/pvtk/var.txt"
extern const QString kHomePage;
extern const QString kDownloadPage;  // ends in "/content.asp?id=2"
extern const QString kMakerShop;
extern const QString kMakerFavouritesPage;    // "sellerid" form
extern const QString kSupportFavouritesPage;  // "sellerid" form
extern const QString kShopFavouritesLink;     // "ownerid" form
extern const QString kDayContact;             // the chat contact from 8 to 17 o'clock
extern const QString kNightContact;           // the chat contact from 18 to 7 o'clock
extern const QString kMessengerSite;

// "tencent://message/?uin=" + contact + "&Site=" + site + "&Menu=yes".
QString messenger_address(const QString& contact);
// The support contact for the picture panel at the given hour (0..23).
QString support_contact_at_hour(int hour);

extern const QString kHelpFileName;  // "pvtk7_help.chm"

// The version the update notice compares with.
constexpr double kProgramVersion = 8.1;

}  // namespace qinghe::app
