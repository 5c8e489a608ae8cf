// qinghe-taotu-cli --demo: the bundled shop harvested into a fresh folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "demo/fake_market.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace {

namespace fs = std::filesystem;
using qinghe::test_support::file_bytes;

TEST(DemoCommand, HarvestsTheBundledShopIntoTheSaveFolder) {
    const fs::path save = fs::temp_directory_path() / "qinghe-demo-test";
    fs::remove_all(save);
    fs::create_directories(save);
    const std::string command = std::string(QINGHE_CLI_PATH) + " --demo --no-export --save '" +
                                save.string() + "' > '" + (save / "out.txt").string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << file_bytes(save / "out.txt");

    fs::path batch;
    for (const auto& entry : fs::directory_iterator(save)) {
        if (entry.is_directory()) batch = entry.path();
    }
    ASSERT_FALSE(batch.empty());
    EXPECT_NE(batch.filename().string().find("共淘图3个地址"), std::string::npos);

    const auto& items = qinghe::demo::demo_items();
    const fs::path taobao = batch / "1001_青禾淘图";
    const fs::path tmall = batch / "2002_青禾淘图";
    EXPECT_EQ(
        file_bytes(taobao / "淘图记录.txt"),
        qinghe::test_support::gbk("青禾演示 纯棉圆领T恤 夏季新款") + "\r\n" + items[0].address);
    const std::string picture = items[0].main_pictures[1];
    EXPECT_EQ(file_bytes(taobao / "主图及属性图" / "2.png"),
              qinghe::demo::tiny_picture("png", picture));
    EXPECT_TRUE(fs::exists(taobao / "宝贝描述" / "详情.html"));
    EXPECT_TRUE(fs::exists(taobao / "其他图片" / "2.png"));
    EXPECT_TRUE(fs::exists(tmall / "宝贝描述" / "B1.jpg"));
    EXPECT_TRUE(fs::exists(tmall / "其他图片" / "3.jpg"));

    // The 1688 item has no id: its folder is named by the date and time.
    int ali_folders = 0;
    for (const auto& entry : fs::directory_iterator(batch)) {
        const std::string name = entry.path().filename().string();
        if (name != "1001_青禾淘图" && name != "2002_青禾淘图" && name.ends_with("_青禾淘图")) {
            ali_folders += 1;
            EXPECT_TRUE(fs::exists(entry.path() / "宝贝描述" / "B1.jpg"));
            EXPECT_TRUE(fs::exists(entry.path() / "宝贝描述" / "A10.jpg"));
        }
    }
    EXPECT_EQ(ali_folders, 1);
    fs::remove_all(save);
}

}  // namespace
