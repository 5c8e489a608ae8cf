// The addresses a stage hands to its prefetch window (base/prefetch.h).
#pragma once

#include <set>
#include <string>
#include <vector>

#include "harvest/save_picture.h"

namespace qinghe {

// The addresses save_picture will fetch for a stage's pictures, in their
// order, worked out before the stage saves them. A picture without a file
// name, or whose file is there already or is written by an earlier picture
// of the list, is passed over by save_picture and left out here, so that the
// window does not fetch what nobody takes. Numbered names follow the stage's
// own rule on the guess that every fetch arrives: a passed-over picture takes
// no number, the others the next one. A guess that turns out otherwise costs
// one transfer too many or one fetched directly, never a different result.
class FetchPlan {
public:
    explicit FetchPlan(int first_number = 1) : m_next_number(first_number) {}

    // The number the next picture added takes if it is fetched.
    int next_number() const { return m_next_number; }
    // Adds the next picture of the stage, named with next_number().
    void add(const PictureSave& picture);

    const std::vector<std::string>& addresses() const { return m_addresses; }

private:
    int m_next_number;
    std::set<Text> m_written;
    std::vector<std::string> m_addresses;
};

}  // namespace qinghe
