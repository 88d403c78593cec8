#include "divider_command.h"

#include <optional>

#include "cli_app.h"
#include "command_args.h"
#include "command_line.h"
#include "divider_search.h"
#include "output_table.h"
#include "result_listing.h"
#include "rows.h"
#include "stock_input.h"

namespace vantrel {
namespace {

finder::DividerInput DividerInputOf(const ParsedArgs& args) {
  finder::DividerInput input;
  input.vin = args.operands[0];
  input.vout = args.operands[1];
  input.parts = Given(args, "--parts");
  input.tolerance = Given(args, "--tolerance");
  input.top = Given(args, "--top");
  input.all = args.Has("--all");
  input.minTotal = Given(args, "--min-total");
  input.maxTotal = Given(args, "--max-total");
  input.exclude = AllGiven(args, "--exclude");
  input.distinct = args.Has("--distinct");
  return input;
}

}  // namespace

CommandSpec DividerCommandSpec() {
  return {"divider",
          "List resistor pairs that divide VIN down to VOUT.",
          "Lists pairs R1 (top) and R2 (bottom) of library values, or of legs of up to N\n"
          "values, that divide VIN to within P percent of VOUT, closest first, the K best\n"
          "(default 20) or all of them. VOUT is below VIN. Current is the current through\n"
          "the divider, VIN / (R1 + R2): amperes when the values are ohms and VIN volts.\n",
          {{"VIN"}, {"VOUT"}},
          {{"--parts", "N", "Legs of up to N values, N at most 2 (default 1)."},
           {"--tolerance", "P", "Keep dividers within P percent (default 1)."},
           {"--top", "K", "List the K best (default 20)."},
           {"--all", "", "List all dividers within P percent."},
           {"--min-total", "R", "Keep dividers whose R1 + R2 is at least R."},
           {"--max-total", "R", "Keep dividers whose R1 + R2 is at most R."},
           {"--exclude", "V", "Leave library value V out; may be repeated."},
           {"--distinct", "", "Use each library value at most once per divider."},
           FormatOption()}};
}

int RunDivider(const ParsedArgs& args, CliContext& context) {
  Services& services = context.services;
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  const finder::DividerRequest request = Require(finder::CheckDivider(DividerInputOf(args)));
  const std::optional<finder::LoadedStock> input =
      LoadStock(services, request.excluded, "dividers", err);
  if (!input) return kExitFailure;
  const std::vector<double>& stock = input->stock.values;

  Listing<networks::DividerRow, finder::DividerRow> listing;
  listing.format = OutputFormatNamed(args.Value("--format"));
  listing.columns = finder::DividerColumns();
  listing.head = {{"command", TextCell("divider")},
                  {"vin", NumberCell(request.search.vin)},
                  {"vout", NumberCell(request.search.vout)},
                  {"tolerance", NumberCell(request.search.tolerance)},
                  {"parts", NumberCell(static_cast<std::uint64_t>(request.search.legParts))}};
  listing.target = request.search.vout;
  listing.limit = request.limit;
  listing.search = [&](std::uint64_t limit, const std::atomic<bool>* stop, const auto& take) {
    networks::DividerOptions options = request.search;
    options.stop = stop;
    networks::FindDividers(stock, options, limit, take);
  };
  listing.row = [&](std::uint64_t rank, const networks::DividerRow& found) {
    return finder::MakeDividerRow(rank, found, *input, request);
  };
  listing.key = [](const finder::DividerRow& row) { return row.vout; };
  listing.textCells = finder::DividerTextCells;
  listing.fields = finder::DividerFields;
  listing.noRowNote = [&] { return finder::NoDividerRowNote(*input, request); };
  PrintListing(std::move(listing), services.files, context.outFd, out, err);
  return kExitOk;
}

}  // namespace vantrel
