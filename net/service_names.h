// The names the program and the update service agree on: the two request paths, the form's field
// names (the version request's query and the usage report's body), the body's media type and the
// answer's field. The program holds them scrambled (service_request.cpp, update_check.cpp); the
// service reads and answers by them in clear (service/).
#pragma once

namespace service_names {

inline constexpr char kVersionPath[] = "/v1/version";
inline constexpr char kUsagePath[] = "/v1/usage";

// The form's fields: product, version and edition in both requests, fresh in the query only,
// kind, build and usage in the report only.
inline constexpr char kProductField[] = "product";
inline constexpr char kVersionField[] = "version";
inline constexpr char kEditionField[] = "edition";
inline constexpr char kFreshField[] = "fresh";
inline constexpr char kKindField[] = "kind";
inline constexpr char kBuildField[] = "build";
inline constexpr char kUsageField[] = "usage";

inline constexpr char kFormMediaType[] = "application/x-www-form-urlencoded";

// The version answer's field: 1 when a newer version exists.
inline constexpr char kUpdateAnswerField[] = "update";

}  // namespace service_names
