#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "command_line.h"
#include "request.h"

namespace vantrel {

// An option value of a command that is no good; the front end prints it with the command's
// usage and exits with the usage status.
struct ArgumentError {
  std::string what;
};

// The value given last for option, as typed; nullopt when it was not given.
std::optional<std::string> Given(const ParsedArgs& args, std::string_view option);

// Every value given for option, in order.
std::vector<std::string> AllGiven(const ParsedArgs& args, std::string_view option);

// --capacitors and --inductors, taken by every command that works on a stock.
std::vector<OptionSpec> StockKindOptions();

// --prefer FILE, which every search that builds from values takes.
OptionSpec PreferOption();

// The stock args choose: resistors unless --capacitors or --inductors was given. Both together
// throw ArgumentError.
const StockKind& StockKindOf(const ParsedArgs& args);

// --statistics, --by, --temperature and --tcr as typed.
finder::StatisticsInput StatisticsOf(const ParsedArgs& args);

// Their options; find takes them without --by, having no In spec.
std::vector<OptionSpec> StatisticsOptions(bool by = true);

// The checked request, or ArgumentError with the check's message.
template <class Request>
Request Require(finder::Checked<Request> checked) {
  if (auto* error = std::get_if<finder::RequestError>(&checked))
    throw ArgumentError{error->message};
  return std::get<Request>(std::move(checked));
}

}  // namespace vantrel
