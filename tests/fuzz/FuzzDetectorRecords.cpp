// A detector's poke: the first byte picks the item, the rest is the record.
// A record the receiver takes holds only numbers and durations within a
// day, and reads back the same after it is written out again.
#include "FuzzCheck.h"

#include "nav/DetectorRecords.h"

#include <cmath>
#include <cstdint>

using namespace velmar::nav;

namespace {

template <class Record>
void check(const uint8_t* data, std::size_t size)
{
    const std::optional<Record> record = Record::decode(data, size);
    FUZZ_CHECK(record.has_value() == (size >= Record::Size));
    if (!record || !record->valuesValid())
        return;
    const std::optional<Record> again = Record::decode(record->encode());
    FUZZ_CHECK(again && again->valuesValid());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t kind = data[0];
    ++data;
    --size;
    switch (kind % 6) {
    case 0: check<NewWhistlesRecord>(data, size); break;
    case 1: check<NewSeismicRecord>(data, size); break;
    case 2: check<NewRCEventRecord>(data, size); break;
    case 3: check<PorpoiseEventRecord>(data, size); break;
    case 4: check<NewWhistleEventRecord>(data, size); break;
    default: check<RightWhaleEventRecord>(data, size); break;
    }
    return 0;
}
