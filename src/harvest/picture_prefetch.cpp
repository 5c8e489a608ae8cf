#include "harvest/picture_prefetch.h"

#include "base/files.h"

namespace qinghe {

void FetchPlan::add(const PictureSave& picture) {
    if (picture.file_name.empty()) return;
    const Text& checked_folder =
        picture.checked_folder.empty() ? picture.folder : picture.checked_folder;
    const Text checked = join_text({checked_folder, picture.file_name});
    if (m_written.count(checked) > 0 || file_exists(checked)) return;
    m_written.insert(join_text({picture.folder, picture.file_name}));
    m_addresses.push_back(picture.address);
    m_next_number += 1;
}

}  // namespace qinghe
