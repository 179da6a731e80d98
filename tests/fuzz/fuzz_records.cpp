#include "blobdatarequest.h"
#include "dbquery.h"
#include "dbresult.h"
#include "hoursbudget.h"
#include "inheritdata.h"
#include "objectinfo.h"
#include "ovdatastream.h"
#include "planningbalance.h"
#include "roledaterestrictions.h"
#include "salesplan.h"
#include "schedulecalendarday.h"
#include "scheduledata.h"
#include "streamhelpers.h"
#include "workerabsencereason.h"
#include "workernormtime.h"
#include "workerschedulehistory.h"
#include "workersynctime.h"

#include <cstdio>
#include <cstdlib>
#include <typeinfo>

using namespace orvanta;

namespace {

template<typename T>
QByteArray encoded(const T& value)
{
    QByteArray bytes;
    OVDataStream out(&bytes, QIODevice::WriteOnly);
    out << value;
    return bytes;
}

// What decodes as a T is written again and read back to the same value.
template<typename T>
void roundTrip(const QByteArray& bytes)
{
    OVDataStream in(bytes);
    T decoded{};
    readChecked(in, decoded);
    if (in.status() != QDataStream::Ok)
        return;
    const QByteArray once = encoded(decoded);
    OVDataStream again(once);
    T reread{};
    readChecked(again, reread);
    const QByteArray twice = encoded(reread);
    // A hash may list its entries in another order; NaN is unequal to itself but writes the same bytes.
    const bool same = twice == once || (twice.size() == once.size() && reread == decoded);
    if (again.status() != QDataStream::Ok || !again.atEnd() || !same) {
        std::fprintf(stderr, "%s does not read back as written\n", typeid(T).name());
        std::abort();
    }
}

using RoundTrip = void (*)(const QByteArray&);
const RoundTrip decoders[] = {
    roundTrip<_BLOB_DATA_RESQUEST>, roundTrip<DbQuery>, roundTrip<DbResult>, roundTrip<HOURS_BUDGET>,
    roundTrip<_INHERIT_DATA>, roundTrip<ObjectInfo>, roundTrip<PLANNING_BALANCE>, roundTrip<_ROLE_DATE_RESTRICTIONS>,
    roundTrip<SALES_PLAN>, roundTrip<SCHEDULE_CALENDAR_DAY>, roundTrip<SCHEDULE_CALENDAR_INTERVAL>, roundTrip<SCHEDULE_DATA>,
    roundTrip<_WORKER_ABSENCE_REASON>, roundTrip<WORKER_NORM_TIME>, roundTrip<WORKER_SCHEDULE_HISTORY_V2>,
    roundTrip<WORKER_SYNC_TIME>, roundTrip<QList<QVariant>>, roundTrip<QList<ObjectInfo>>,
    roundTrip<QHash<uint, _WORKER_ABSENCE_REASON>>, roundTrip<QList<DbResult>>};

} // namespace

// The first byte picks the record, the rest is its encoding.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    constexpr size_t count = sizeof(decoders) / sizeof(decoders[0]);
    decoders[data[0] % count](QByteArray(reinterpret_cast<const char*>(data) + 1, int(size - 1)));
    return 0;
}
