#include "base/picture_bytes.h"

#include <gtest/gtest.h>

#include <string>

#include "demo/fake_market.h"

namespace qinghe {
namespace {

using namespace std::string_literals;

// A bitmap file header followed by the first bytes of an info header of the
// given size, as a real .bmp starts.
std::string bitmap_head(unsigned char info_size) {
    return "BM"s + "\x46\0\0\0"s + "\0\0\0\0"s + "\x36\0\0\0"s +
           std::string(1, static_cast<char>(info_size)) + "\0\0\0"s + "\x01\0\0\0"s;
}

TEST(LooksLikePicture, KnowsThePictureFormatsByTheirFirstBytes) {
    struct Case {
        const char* what;
        std::string body;
        bool picture;
    };
    const Case cases[] = {
        {"JPEG/JFIF", "\xFF\xD8\xFF\xE0\0\x10JFIF\0"s, true},
        {"JPEG/Exif", "\xFF\xD8\xFF\xE1\0\x18"s + "Exif", true},
        {"JPEG, bare start of image and marker", "\xFF\xD8\xFF"s, true},
        {"PNG", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, true},
        {"GIF87a", "GIF87a\x01\0\x01\0"s, true},
        {"GIF89a", "GIF89a\x01\0\x01\0"s, true},
        {"WebP", "RIFF\x24\0\0\0WEBPVP8 "s, true},
        {"BMP, BITMAPINFOHEADER", bitmap_head(40), true},
        {"BMP, OS/2 core header", bitmap_head(12), true},
        {"BMP, V5 header", bitmap_head(124), true},

        {"empty", "", false},
        {"HTML page", "<!DOCTYPE html><html><head><title>login</title>", false},
        {"HTML after a byte-order mark and spaces", "\xEF\xBB\xBF  <html>", false},
        {"JSON error", R"({"ret":["FAIL_SYS_USER_VALIDATE"]})", false},
        {"short text", "err", false},
        {"JPEG start of image without a marker", "\xFF\xD8"s, false},
        {"JPEG start of image, then text", "\xFF\xD8<html>"s, false},
        {"PNG signature cut short", "\x89PNG\r\n"s, false},
        {"PNG signature with LF line ends", "\x89PNG\n\n\x1A\n"s, false},
        {"GIF without a version", "GIF8", false},
        {"a RIFF file that is not WebP", "RIFF\x24\0\0\0WAVEfmt "s, false},
        {"WebP cut before its form type", "RIFF\x24\0\0\0WEB"s, false},
        {"RIFF alone", "RIFF", false},
        {"a text starting with BM", "BMW 320i, blue, 2009 model", false},
        {"BM and a file header without an info header", bitmap_head(40).substr(0, 14), false},
        {"BM and an unknown info header size", bitmap_head(41), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(looks_like_picture(c.body), c.picture) << c.what;
    }
}

// The demo marketplace serves these to the demo run and to the end-to-end
// tests; a save step that checks bodies must keep saving every one of them.
TEST(LooksLikePicture, AcceptsEveryPictureTheDemoMarketplaceServes) {
    for (const char* kind : {"jpg", "png", "gif"}) {
        EXPECT_TRUE(looks_like_picture(demo::tiny_picture(kind, "tag"))) << kind;
    }
    demo::FakeMarket market;
    demo::add_demo_items(market);
    int pictures = 0;
    for (const demo::MarketItem& item : demo::demo_items()) {
        for (const auto* list :
             {&item.main_pictures, &item.description_pictures, &item.style_sheet_pictures}) {
            for (const std::string& address : *list) {
                const std::string rest = address.substr(address.find("://") + 3);
                const std::string host = rest.substr(0, rest.find('/'));
                const std::string path = rest.substr(host.size(), rest.find('?') - host.size());
                const std::string body = market.body(host, path);
                EXPECT_FALSE(body.empty()) << address;
                EXPECT_TRUE(looks_like_picture(body)) << address;
                ++pictures;
            }
        }
    }
    EXPECT_GT(pictures, 0);
}

}  // namespace
}  // namespace qinghe
