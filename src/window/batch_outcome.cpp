#include "window/batch_outcome.h"

#include "base/fetch_retry.h"
#include "base/picture_bytes.h"

namespace qinghe {

Failure fetch_failure(const FetchResult& result) {
    switch (result.error) {
        case FetchError::None: break;
        case FetchError::TimedOut: return {FailureReason::TimedOut};
        case FetchError::Broken: return {FailureReason::Broken};
        case FetchError::NoConnection: return {FailureReason::NoConnection};
        case FetchError::NotSent:
        case FetchError::RedirectRefused: return {FailureReason::Refused};
        case FetchError::TooManyRedirects: return {FailureReason::TooManyRedirects};
        case FetchError::BodyTooLarge: return {FailureReason::TooLarge};
        case FetchError::Other: return {FailureReason::Other};
    }
    if (judge_fetch(result) == FetchVerdict::Done) return {};
    if (!result.complete || result.status == 0) return {FailureReason::Other};
    return {FailureReason::HttpStatus, result.status};
}

Failure picture_failure(const FetchResult& result) {
    const Failure failure = fetch_failure(result);
    if (failure.failed()) return failure;
    if (!looks_like_picture(result.body)) return {FailureReason::NotAPicture};
    return {};
}

void BatchOutcome::reset() {
    std::lock_guard lock(m_mutex);
    m_addresses.clear();
    m_recordings.clear();
}

AddressRecord& BatchOutcome::entry(int index) {
    AddressRecord& record = m_addresses[index];
    record.index = index;
    return record;
}

void BatchOutcome::begin_address(int index, std::string_view address, AddressKind kind) {
    std::lock_guard lock(m_mutex);
    AddressRecord& record = entry(index);
    record.address = Text(address);
    record.kind = kind;
}

void BatchOutcome::address_failed(int index, Failure failure) {
    std::lock_guard lock(m_mutex);
    entry(index).failure = failure;
    m_recordings.push_back({index, -1});
}

void BatchOutcome::address_stopped(int index) {
    std::lock_guard lock(m_mutex);
    AddressRecord& record = entry(index);
    if (record.failure.failed()) return;
    record.failure = {FailureReason::Stopped};
    m_recordings.push_back({index, -1});
}

void BatchOutcome::add_picture(int index, PictureRecord picture) {
    std::lock_guard lock(m_mutex);
    std::vector<PictureRecord>& pictures = entry(index).pictures;
    pictures.push_back(std::move(picture));
    m_recordings.push_back({index, static_cast<int>(pictures.size()) - 1});
}

void BatchOutcome::picture_saved(int index, std::string_view address, std::string_view file) {
    add_picture(index, {Text(address), Text(file), PictureState::Saved, {}});
}

void BatchOutcome::picture_skipped(int index, std::string_view address, std::string_view file) {
    add_picture(index, {Text(address), Text(file), PictureState::Skipped, {}});
}

void BatchOutcome::picture_failed(int index, std::string_view address, std::string_view file,
                                  Failure failure) {
    // A failure without a reason would vanish from the report's reason column.
    if (!failure.failed()) failure.reason = FailureReason::Other;
    add_picture(index, {Text(address), Text(file), PictureState::Failed, failure});
}

OutcomeCounts count_outcome(const std::vector<AddressRecord>& records) {
    OutcomeCounts counts;
    for (const AddressRecord& record : records) {
        counts.addresses += 1;
        counts.items += record.kind == AddressKind::Item;
        counts.addresses_failed += record.failure.failed();
        for (const PictureRecord& picture : record.pictures) {
            counts.pictures_saved += picture.result == PictureState::Saved;
            counts.pictures_skipped += picture.result == PictureState::Skipped;
            counts.pictures_failed += picture.result == PictureState::Failed;
        }
    }
    return counts;
}

OutcomeCounts BatchOutcome::counts() const { return count_outcome(records()); }

std::vector<AddressRecord> BatchOutcome::records(size_t* position) const {
    std::lock_guard lock(m_mutex);
    std::vector<AddressRecord> out;
    out.reserve(m_addresses.size());
    for (const auto& [index, record] : m_addresses) out.push_back(record);
    if (position) *position = m_recordings.size();
    return out;
}

std::vector<AddressRecord> BatchOutcome::recorded_since(size_t& position) const {
    std::lock_guard lock(m_mutex);
    std::vector<AddressRecord> out;
    for (; position < m_recordings.size(); ++position) {
        const Recording& recording = m_recordings[position];
        const AddressRecord& whole = m_addresses.at(recording.index);
        AddressRecord part;
        part.index = whole.index;
        part.address = whole.address;
        part.kind = whole.kind;
        if (recording.picture < 0) {
            part.failure = whole.failure;
        } else {
            part.pictures.push_back(whole.pictures.at(static_cast<size_t>(recording.picture)));
        }
        out.push_back(std::move(part));
    }
    return out;
}

}  // namespace qinghe
