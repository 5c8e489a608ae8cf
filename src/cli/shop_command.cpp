// qinghe-taotu-cli --shop: the shop link window on a terminal. The item
// addresses go to standard output, one per line, so that the list can be
// fed back into the runner; progress and messages go to standard error.
#include "cli/shop_command.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/gbk.h"
#include "base/web.h"
#include "cli/headless_runner.h"
#include "shop/shop_link_session.h"
#include "shop/shop_texts.h"

namespace qinghe {
namespace {

constexpr int kExitCollected = 0;
constexpr int kExitCollectionFailed = 1;  // "网络超时，请重试！" or blocked by the site
constexpr int kExitInput = 2;             // wrong arguments or a refused shop address

constexpr char kUsage[] =
    "Usage: qinghe-taotu-cli --shop SHOP-ADDRESS [--connect-to HOST:PORT:ADDR:PORT]...\n"
    "                        [--cacert FILE]\n"
    "Collects the item addresses of a Tmall, Taobao or 1688 shop, page by page, and\n"
    "prints them one per line, e.g.\n"
    "  qinghe-taotu-cli --shop qinghe.tmall.com > list.txt && qinghe-taotu-cli list.txt\n"
    "--cacert FILE trusts the certificate authorities of a PEM file besides the\n"
    "system's, as curl's option of that name does.\n"
    "Progress and messages go to standard error. Exit status: 0 when the shop was\n"
    "walked, 1 when its first page could not be read or the site blocked it, 2 for a\n"
    "wrong address or flag.\n";

class TerminalShopControls : public ShopControls {
public:
    explicit TerminalShopControls(bool live) : m_live(live) {}

    Text shop_address_text() override { return m_address; }
    void set_shop_address_text(const Text& text) override { m_address = text; }
    void set_fetch_enabled(bool) override {}
    void set_progress_visible(bool) override {}
    void set_progress(int position) override {
        if (position == m_progress) return;
        m_progress = position;
        draw_progress();
    }
    void set_link_count_text(const Text& text) override {
        m_count_text = text;
        if (m_live) draw_progress();
    }
    void append_shop_links(const Text& lines) override {
        // "\r\n" line ends become the terminal's "\n".
        std::string out;
        out.reserve(lines.size());
        for (char c : lines) {
            if (c != '\r') out += c;
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    void clear_shop_link_box() override {}
    void show_message(const Text& text) override {
        end_progress_line();
        std::fprintf(stderr, "%s\n", gbk_to_utf8(text).c_str());
        m_messages.push_back(text);
    }

    void end_progress_line() {
        if (m_line_open) std::fputc('\n', stderr);
        m_line_open = false;
    }
    const std::vector<Text>& messages() const { return m_messages; }

private:
    void draw_progress() {
        std::string line = std::to_string(m_progress) + "%";
        if (!m_count_text.empty()) line += "  " + gbk_to_utf8(m_count_text);
        if (m_live) {
            std::fprintf(stderr, "\r\x1b[K%s", line.c_str());
            m_line_open = true;
        } else {
            std::fprintf(stderr, "%s\n", line.c_str());
        }
        std::fflush(stderr);
    }

    bool m_live;
    bool m_line_open = false;
    Text m_address;
    int m_progress = -1;
    Text m_count_text;
    std::vector<Text> m_messages;
};

bool parse_shop_arguments(int argc, char** argv, std::string& address,
                          std::vector<std::string>& routes, std::string& ca_file, bool& help,
                          std::string& error) {
    bool have_address = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "missing value after " + std::string(arg);
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--shop") {
            if (have_address) {
                error = "only one shop address is collected per run";
                return false;
            }
            if (!value(address)) return false;
            have_address = true;
        } else if (arg == "--connect-to") {
            std::string route;
            if (!value(route)) return false;
            routes.push_back(route);
        } else if (arg == "--cacert") {
            if (!value(ca_file) || !check_ca_file(ca_file, error)) return false;
        } else {
            error = "unknown argument: " + std::string(arg);
            return false;
        }
    }
    if (!have_address && !help) {
        error = "missing SHOP-ADDRESS after --shop";
        return false;
    }
    return true;
}

}  // namespace

int run_shop_command(int argc, char** argv) {
    std::string address;
    std::vector<std::string> routes;
    std::string ca_file;
    bool help = false;
    std::string error;
    if (!parse_shop_arguments(argc, argv, address, routes, ca_file, help, error)) {
        std::fprintf(stderr, "qinghe-taotu-cli --shop: %s\nTry 'qinghe-taotu-cli --shop --help'.\n",
                     error.c_str());
        return kExitInput;
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return kExitCollected;
    }
    if (!routes.empty()) set_connect_to(routes);
    if (!ca_file.empty()) set_extra_ca_file(ca_file);

    // The terminal types UTF-8; a shop address is ASCII in practice.
    Text typed;
    if (!utf8_to_gbk(address, typed)) typed = address;

    TerminalShopControls controls(isatty(STDERR_FILENO) == 1);
    controls.set_shop_address_text(typed);
    ShopLinkSession session(controls);
    session.collect_shop_links();
    while (!session.drain_until_idle(std::chrono::hours(1))) {}
    controls.end_progress_line();
    std::fflush(stdout);

    // The collector's messages are the time-out and the block; the others refuse the input.
    const std::vector<Text>& messages = controls.messages();
    if (messages.empty()) return kExitCollected;
    const bool collection_failed = messages.front() == shop_texts::kNetworkTimeout ||
                                   messages.front() == shop_texts::kBlockedBySite;
    return collection_failed ? kExitCollectionFailed : kExitInput;
}

}  // namespace qinghe
