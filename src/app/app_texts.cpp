#include "app/app_texts.h"

namespace qinghe::app {

namespace {
// Placeholder numbers and names of the maker, our own.
const QString kMakerHost = QStringLiteral("http://www.taotu.example");
const QString kFavouritesBase =
    QStringLiteral("https://favorite.taobao.com/popup/add_collection.htm");
}  // namespace

const QString kWindowTitle = QStringLiteral(
    "《青禾淘宝图片搬家工具》 淘宝、天猫、1688阿里图片批量下载器 （包含CSS图片分析并下载）店铺宝贝复制 V8.1");
const QString kTrayTip = QStringLiteral("青禾淘宝图片搬家工具");
const QString kPopupMenuTitle = QStringLiteral("右键菜单");

const QString kAddressPlaceholder =
    QStringLiteral("复制淘宝、天猫、阿里的商品连接地址粘贴到此文本框里，每行一个。");
const QString kAddressLabel = QStringLiteral("淘宝地址：");
// Paragraphs are separated by an empty line; numbered ones start with two
// ideographic spaces.
const QString kTipsText = QStringLiteral(
    "您知道吗？\n\n"
    "\u3000\u30001、可以复制淘宝、天猫、阿里的商品描述地址，或图片地址，或淘宝加密的图片地址。\n\n"
    "\u3000\u30002、导出的CSV数据包，需要用淘宝助理导入然后上传到自已的店铺中，部分属性上传时需手动修改。\n\n"
    "\u3000\u30003、可以将含有每行一个网址的TXT文档直接拖进来。\n\n"
    "\u3000\u30004、可以把包含淘宝助理导出的外部链接的CSV数据包直接拖进来下载图片到本地。");
const QString kShopLinkButton = QStringLiteral("整店宝贝下载");
const QString kSaveFolderLabel = QStringLiteral("保存位置：");
const QString kBrowseButton = QStringLiteral("浏览");
const QString kOpenFolderButton = QStringLiteral("打开文件夹");
const QString kStyleSheetLabel = QStringLiteral("CSS地址：");
const QString kSiteLabel = QStringLiteral("青禾 taotu.example");
const QString kFileListLabel = QStringLiteral("图片文件：");
const QString kStartButton = QStringLiteral("立即下载");
const QString kWelcomeStatus =
    QStringLiteral("欢迎使用《青禾淘宝图片搬家工具》，快速打造您的网络商城！");
const QString kGroupLabel = QStringLiteral("官方指定QQ群：10003");
const QString kDayContact = QStringLiteral("10001");
const QString kNightContact = QStringLiteral("10002");
const QString kSupportLink1 = QStringLiteral("客服QQ：") + kDayContact;
const QString kSupportLink2 = QStringLiteral("客服QQ：") + kNightContact;
const QString kFavouritesLink = QStringLiteral("收藏《青禾淘图小店》");

const QString kMainPicturesBox = QStringLiteral("下载主图");
const QString kDetailPicturesBox = QStringLiteral("下载细节图");
const QString kOtherPicturesBox = QStringLiteral("下载其他图");
const QString kSmartSaveBox = QStringLiteral("智能分类保存");
const QString kShowTitleBox = QStringLiteral("显示宝贝标题");
const QString kExportPackageBox = QStringLiteral("导出CSV数据包");
const QString kIndependentRadio = QStringLiteral("独立包");
const QString kCompositeRadio = QStringLiteral("复合包");
const QString kRemoveLinksBox = QStringLiteral("自动删除超链接");

const QString kMenuOpenShop = QStringLiteral("打开作者淘宝店");
const QString kMenuFavouriteShop = QStringLiteral("收藏作者淘宝店");
const QString kMenuFavouriteSupportShop = QStringLiteral("收藏客服淘宝店");
const QString kMenuHomePage = QStringLiteral("打开官方网站");
const QString kMenuDownloadNew = QStringLiteral("下载新版本");
const QString kMenuHelp = QStringLiteral("使用帮助");
const QString kMenuQuit = QStringLiteral("关闭程序");
const QString kMenuStopDownload = QStringLiteral("停止下载");
const QString kMenuRetryFailed = QStringLiteral("重试失败的地址");

const QString kFolderPickerTitle = QStringLiteral("选择要下载的位置");
const QString kDuplicateMessage = QStringLiteral("请不要重复打开《青禾淘宝图片搬家工具》！");
const QString kDuplicateCaption = QStringLiteral("青禾提醒您：");
const QString kUpdateMessage = QStringLiteral("请下载最新版本");
const QString kUnusableFolderMessage =
    QStringLiteral("这个文件夹的名称含有无法保存的字符，请另选一个文件夹！");

const QString kUpdateAddress = kMakerHost + QStringLiteral("/pvtk/var.txt");
const QString kHomePage = kMakerHost + QStringLiteral("/");
const QString kDownloadPage = kMakerHost + QStringLiteral("/content.asp?id=2");
const QString kMakerShop = QStringLiteral("https://shop10000004.taobao.com/");
const QString kMakerFavouritesPage =
    kFavouritesBase +
    QStringLiteral("?spm=0.0.0.0&id=10000004&itemid=10000004&itemtype=0&sellerid=10000005&scjjc=1");
const QString kSupportFavouritesPage =
    kFavouritesBase +
    QStringLiteral("?spm=0.0.0.0&id=10000006&itemid=10000006&itemtype=0&sellerid=10000007&scjjc=1");
const QString kShopFavouritesLink =
    kFavouritesBase +
    QStringLiteral("?spm=0.0.0.0&id=10000004&itemid=10000004&itemtype=0&ownerid=10000005&scjjc=1");
const QString kMessengerSite = QStringLiteral("qinghe");

QString messenger_address(const QString& contact) {
    return QStringLiteral("tencent://message/?uin=") + contact + QStringLiteral("&Site=") +
           kMessengerSite + QStringLiteral("&Menu=yes");
}

QString support_contact_at_hour(int hour) {
    return (hour >= 8 && hour <= 17) ? kDayContact : kNightContact;
}

const QString kHelpFileName = QStringLiteral("pvtk7_help.chm");

}  // namespace qinghe::app
