#include "window/outcome_files.h"

#include "base/file_append.h"
#include "base/files.h"
#include "window/batch_report.h"

namespace qinghe {

bool write_outcome_files(std::string_view batch_folder, const std::vector<AddressRecord>& records) {
    const bool report = write_file(join_text({batch_folder, outcome_report_file_name()}),
                                   outcome_report_csv(records, batch_folder));
    const bool list = write_file(join_text({batch_folder, failed_list_file_name()}),
                                 failed_address_list(records));
    return report && list;
}

bool write_outcome_files_if_failed(std::string_view batch_folder, const BatchOutcome& outcome) {
    const std::vector<AddressRecord> records = outcome.records();
    return count_outcome(records).any_failed() && write_outcome_files(batch_folder, records);
}

OutcomeFiles::OutcomeFiles(std::string_view batch_folder) : m_folder(batch_folder) {}

bool OutcomeFiles::keep_current(const BatchOutcome& outcome) {
    std::lock_guard lock(m_mutex);
    if (!m_written) {
        // Until the first failure only the new recordings are looked at; a
        // failure can only be among them.
        if (!count_outcome(outcome.recorded_since(m_position)).any_failed()) return true;
        const std::vector<AddressRecord> records = outcome.records(&m_position);
        m_written = true;
        for (const Text& address : failed_addresses(records)) m_listed.insert(address);
        for (const AddressRecord& record : records) {
            if (record.failure.failed()) m_failed_itself.insert(record.index);
        }
        return write_outcome_files(m_folder, records);
    }
    const std::vector<AddressRecord> fresh = outcome.recorded_since(m_position);
    if (fresh.empty()) return true;
    Text failed;
    for (const AddressRecord& part : fresh) {
        Text address;
        if (part.failure.failed()) {
            address = part.address;
            m_failed_itself.insert(part.index);
        } else if (!m_failed_itself.count(part.index) && !part.pictures.empty() &&
                   part.pictures.front().result == PictureState::Failed) {
            address = part.pictures.front().address;
        }
        if (!address.empty() && m_listed.insert(address).second) failed += address + "\r\n";
    }
    const bool report = append_to_file(join_text({m_folder, outcome_report_file_name()}),
                                       outcome_report_lines(fresh, m_folder));
    const bool list = append_to_file(join_text({m_folder, failed_list_file_name()}), failed);
    return report && list;
}

bool OutcomeFiles::finish(const BatchOutcome& outcome) {
    std::lock_guard lock(m_mutex);
    return write_outcome_files_if_failed(m_folder, outcome);
}

}  // namespace qinghe
