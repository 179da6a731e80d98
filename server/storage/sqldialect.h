#pragma once

/// The SQL engines the server stores its data in; one schema, written for both.
enum class SqlDialect { Sqlite, PostgreSql };
