#include "rc_command.h"

#include <optional>

#include "command_args.h"
#include "output_table.h"
#include "result_listing.h"
#include "stock_input.h"

namespace vantrel {
namespace {

constexpr char kRcDetails[] =
    "Lists pairs of a resistor leg from the resistor library and a capacitor leg\n"
    "from the capacitor library whose time constant tau = R x C, or whose corner\n"
    "f = 1 / (2 pi R C), lies within P percent of the target, closest first, the K\n"
    "best (default 20) or all of them (with a band, the narrowest worst case\n"
    "first); ties go to fewer parts, then to the resistor leg nearest --scale (10k),\n"
    "then to the lower resistance. Each leg is one value or, with --r-parts 2 or\n"
    "--c-parts 2, two in series or in parallel: capacitors in parallel add, in\n"
    "series they fold.\n"
    "\n"
    "  IN --[ R ]--+-- OUT\n"
    "              |\n"
    "            [ C ]\n"
    "              |\n"
    "             GND\n"
    "\n"
    "T takes seconds (1m, 10u, 4u7, 1e-3, 10ms) and F hertz (1k, 50, 2.2kHz). tau is\n"
    "the exact product of the values as written, rounded once, so equal products tie\n"
    "and a pair exactly on a decimal tau shows error 0; the corner is irrational and\n"
    "is computed from that tau in double precision. --r-tolerance and --c-tolerance\n"
    "add Low, High and In spec: the value with R and C off by their tolerances in\n"
    "the direction that moves it most, and whether that band lies within B percent\n"
    "of the target (--within) or else P percent. --within keeps only those rows and\n"
    "ranks them as regulator does; P is then B, or at most B. The bounds on R\n"
    "include their ends. --statistics, --by, --temperature and --tcr are those of\n"
    "regulator.\n";

finder::RcInput RcInputOf(const ParsedArgs& args) {
  finder::RcInput input;
  input.tau = Given(args, "--tau");
  input.corner = Given(args, "--corner");
  input.rParts = Given(args, "--r-parts");
  input.cParts = Given(args, "--c-parts");
  input.tolerance = Given(args, "--tolerance");
  input.top = Given(args, "--top");
  input.all = args.Has("--all");
  input.minR = Given(args, "--min-r");
  input.maxR = Given(args, "--max-r");
  input.scale = Given(args, "--scale");
  input.rTolerance = Given(args, "--r-tolerance");
  input.cTolerance = Given(args, "--c-tolerance");
  input.within = Given(args, "--within");
  input.statistics = StatisticsOf(args);
  input.inventory = args.Has("--inventory");
  input.prefer = Given(args, "--prefer");
  return input;
}

}  // namespace

CommandSpec RcCommandSpec() {
  std::vector<OptionSpec> options = {
      {"--tau", "T", "The time constant in seconds (1m, 10u)."},
      {"--corner", "F", "The corner frequency in hertz (1k), instead of --tau."},
      {"--r-parts", "N", "Resistor legs of up to N values, N at most 2 (default 1)."},
      {"--c-parts", "N", "Capacitor legs of up to N values, N at most 2 (default 1)."},
      {"--tolerance", "P", "Keep pairs within P percent (default 1)."},
      {"--top", "K", "List the K best (default 20)."},
      {"--all", "", "List all pairs within P percent."},
      {"--min-r", "R", "Keep pairs whose resistor leg is at least R."},
      {"--max-r", "R", "Keep pairs whose resistor leg is at most R."},
      {"--scale", "R", "Break ties towards resistor legs nearest R (10k)."},
      {"--r-tolerance", "T", "Add Low, High and In spec: resistors T percent off."},
      {"--c-tolerance", "T", "Add Low, High and In spec: capacitors T percent off."},
      {"--within", "B", "Keep rows whose worst case lies within B percent."}};
  for (OptionSpec& option : StatisticsOptions()) options.push_back(std::move(option));
  options.push_back(InventoryOption());
  options.push_back(PreferOption());
  options.push_back(FormatOption());
  return {"rc",
          "List R and C pairs that reach a time constant or a corner.",
          kRcDetails,
          {},
          std::move(options),
          "--corner or --tau"};
}

finder::RcRequest RcRequestOf(const ParsedArgs& args) {
  return Require(finder::CheckRc(RcInputOf(args)));
}

int RunRc(const ParsedArgs& args, CliContext& context) {
  const finder::RcRequest request = RcRequestOf(args);
  const bool inventory = request.bounds.inventory;
  std::optional<finder::LoadedStock> resistors =
      LoadStock(context.services, {}, finder::RcKind::kWhat, context.err, kResistors, inventory);
  if (!resistors) return kExitFailure;
  std::optional<finder::LoadedStock> capacitors =
      LoadStock(context.services, {}, finder::RcKind::kWhat, context.err, kCapacitors, inventory);
  if (!capacitors) return kExitFailure;
  if (!AddBoard(context.services, request.prefer, {&*resistors, &*capacitors}, context.err))
    return kExitFailure;
  const finder::RcStocks stocks =
      finder::MakeRcStocks(std::move(*resistors), std::move(*capacitors), kCapacitors.heldPower);
  const bool corner = request.search.quantity == networks::RcQuantity::kCorner;
  OutputHead head = {
      {"command", table::TextCell("rc")},
      {corner ? "corner" : "tau", table::NumberCell(request.search.target)},
      {"tolerance", table::NumberCell(request.search.tolerance)},
      {"r_parts", table::NumberCell(static_cast<std::uint64_t>(request.search.rParts))},
      {"c_parts", table::NumberCell(static_cast<std::uint64_t>(request.search.cParts))}};
  const OutputFormat format = OutputFormatNamed(args.Value("--format"));
  if (format == OutputFormat::kJson && inventory) {
    head.emplace_back("inventory", table::TextCell(drawer::kInventoryFileName));
  } else if (format == OutputFormat::kJson) {
    for (auto& field : LibraryHead(context.services.files)) head.push_back(std::move(field));
    // The capacitor library's fields beside the resistor library's, named apart.
    for (auto& [name, cell] : LibraryHead(context.services.files, kCapacitors)) {
      if (name.starts_with("library"))
        head.emplace_back(std::string("capacitor_").append(name), std::move(cell));
    }
  }
  if (format == OutputFormat::kJson) AppendBandHead(request, head);
  if (!ListRows<finder::RcKind>(request, stocks, format, head, context.outFd, context.out,
                                context.err)) {
    (format == OutputFormat::kText ? context.out : context.err)
        << finder::NoRcRowNote(stocks, request) << '\n';
  }
  return kExitOk;
}

}  // namespace vantrel
