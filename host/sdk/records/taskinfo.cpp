#include "taskinfo.h"

namespace orvanta {

qint64 TaskInfo::_nextid = 1;

TaskInfo::TaskInfo() : id(_nextid++) {}

} // namespace orvanta
