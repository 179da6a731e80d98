#pragma once

#include <QString>

namespace ovtest {

/// A new empty database on the PostgreSQL cluster of OV_TEST_PG_URL; empty when there is none or it fails.
QString freshPostgresUrl();

} // namespace ovtest
