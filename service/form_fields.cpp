// Strict form parsing: one table of rules per form, one parser for both.
#include "service/form_fields.h"

#include <charconv>

#include "net/service_names.h"

namespace {

// Ten digits hold every value up to the 32-bit limit; more is never a valid number here.
constexpr std::size_t kMaxDigits = 10;

constexpr std::int32_t kHighestVersion = 2000099999;  // 20000.99.999

template <typename Form>
struct FieldRule {
    std::string_view name;
    std::int32_t low;
    std::int32_t high;
    std::int32_t Form::*member;
};

bool ParseValue(std::string_view text, std::int32_t low, std::int32_t high, std::int32_t& out) {
    if (text.empty() || text.size() > kMaxDigits) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    long long value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < low || value > high) {
        return false;
    }
    out = static_cast<std::int32_t>(value);
    return true;
}

template <typename Form, std::size_t N>
std::optional<Form> ParseForm(std::string_view text, const FieldRule<Form> (&rules)[N]) {
    if (text.empty() || text.size() > kMaxFormLength) {
        return std::nullopt;
    }
    Form form{};
    bool seen[N] = {};
    std::size_t seenCount = 0;
    for (;;) {
        const std::size_t separator = text.find('&');
        const std::string_view pair = text.substr(0, separator);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view name = pair.substr(0, equals);
        std::size_t index = 0;
        while (index < N && rules[index].name != name) {
            ++index;
        }
        if (index == N || seen[index]) {
            return std::nullopt;
        }
        const FieldRule<Form>& rule = rules[index];
        if (!ParseValue(pair.substr(equals + 1), rule.low, rule.high, form.*rule.member)) {
            return std::nullopt;
        }
        seen[index] = true;
        ++seenCount;
        if (separator == std::string_view::npos) {
            break;
        }
        text.remove_prefix(separator + 1);
    }
    if (seenCount != N) {
        return std::nullopt;
    }
    return form;
}

}  // namespace

std::optional<VersionQuery> ParseVersionQuery(std::string_view text, std::int32_t product) {
    const FieldRule<VersionQuery> rules[] = {
        {service_names::kProductField, product, product, &VersionQuery::product},
        {service_names::kVersionField, 100000, kHighestVersion, &VersionQuery::version},
        {service_names::kEditionField, 0, 999, &VersionQuery::edition},
        {service_names::kFreshField, 0, 1, &VersionQuery::fresh},
    };
    return ParseForm(text, rules);
}

std::optional<UsageForm> ParseUsageForm(std::string_view text, std::int32_t product) {
    const FieldRule<UsageForm> rules[] = {
        {service_names::kProductField, product, product, &UsageForm::product},
        {service_names::kVersionField, 100000, kHighestVersion, &UsageForm::version},
        {service_names::kEditionField, 0, 999, &UsageForm::edition},
        {service_names::kKindField, 2, 2, &UsageForm::kind},
        {service_names::kBuildField, 0, INT32_MAX, &UsageForm::build},
        {service_names::kUsageField, 1, 15, &UsageForm::usage},
    };
    return ParseForm(text, rules);
}
