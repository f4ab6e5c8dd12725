// ombrix-cli export <file.ofd> <kind> <out> [<object>] [options]: the
// program's export commands without a window: the CSV table and the HTML
// page of the field, the minima of all objects, and the series, minima and
// O-C texts of one object.
#include <charconv>
#include <string>
#include <string_view>

#include "field_loading.h"
#include "html_pictures.h"
#include "object_choice.h"
#include "ombrix_cli/command.h"
#include "ombrix_exports/field_export.h"
#include "ombrix_exports/series_export.h"
#include "options.h"

namespace ombrix_cli {

namespace {

using namespace ombrix_export;
using ombrix_data::CField;
using ombrix_data::CObjectListElem;

constexpr const char kName[] = "export";

enum class TKindGroup : std::uint8_t { csv, html, text, individual };

enum class TTextExport : std::uint8_t { none, allMinima, minima, etv, lines };

struct TExportKind {
  const char* name;
  TKindGroup group;
  bool needsObject;
  TTextExport text;
  TSeriesLines lines;  // for TTextExport::lines
};

const TExportKind kKinds[] = {
    {"csv", TKindGroup::csv, false, TTextExport::none, TSeriesLines::timeSeries},
    {"html", TKindGroup::html, false, TTextExport::none, TSeriesLines::timeSeries},
    {"all-minima", TKindGroup::text, false, TTextExport::allMinima, TSeriesLines::timeSeries},
    {"minima", TKindGroup::text, true, TTextExport::minima, TSeriesLines::timeSeries},
    {"etv", TKindGroup::text, true, TTextExport::etv, TSeriesLines::timeSeries},
    {"series", TKindGroup::text, true, TTextExport::lines, TSeriesLines::timeSeries},
    {"phased", TKindGroup::text, true, TTextExport::lines, TSeriesLines::phased},
    {"phased-series", TKindGroup::text, true, TTextExport::lines, TSeriesLines::phasedTime},
    {"minus-fit", TKindGroup::text, true, TTextExport::lines, TSeriesLines::minusFit},
    {"individual-minus-fit", TKindGroup::individual, true, TTextExport::none, TSeriesLines::minusFit},
};

// The kind each option belongs to, and the option bit it sets.
struct TExportOption {
  const char* name;
  TKindGroup group;
  std::uint32_t bit;  // 0: an option with a value, or a flag without a bit
};

const TExportOption kOptions[] = {
    {"--var", TKindGroup::csv, kCsvVariable},
    {"--cmp", TKindGroup::csv, kCsvComparison},
    {"--chk", TKindGroup::csv, kCsvCheck},
    {"--nights", TKindGroup::csv, kCsvNights},
    {"--alt-name", TKindGroup::html, kHtmlAlternateName},
    {"--type", TKindGroup::html, kHtmlType},
    {"--elements", TKindGroup::html, kHtmlElements},
    {"--magnitudes", TKindGroup::html, kHtmlMagnitudes},
    {"--coordinates", TKindGroup::html, kHtmlCoordinates},
    {"--catalog", TKindGroup::html, kHtmlCatalog},
    {"--catalog-mag", TKindGroup::html, kHtmlCatalogMag},
    {"--color-indexes", TKindGroup::html, kHtmlColorIndexes},
    {"--thumbs", TKindGroup::html, kHtmlThumbs},
    {"--images", TKindGroup::html, kHtmlImages},
    {"--thumb-size", TKindGroup::html, 0},
    {"--image-size", TKindGroup::html, 0},
    {"--path-prefix", TKindGroup::html, 0},
    {"--new-name", TKindGroup::individual, 0},
    {"--prefix", TKindGroup::individual, 0},
    {"--postfix", TKindGroup::individual, 0},
    {"--overwrite", TKindGroup::individual, 0},
    {"--keep-existing", TKindGroup::individual, 0},
};

const TExportKind* FindKind(std::string_view name) {
  for (const TExportKind& kind : kKinds)
    if (name == kind.name) return &kind;
  return nullptr;
}

const TExportOption* FindOption(std::string_view name) {
  for (const TExportOption& option : kOptions)
    if (name == option.name) return &option;
  return nullptr;
}

// A whole number taking the whole text, decimal or hexadecimal with "0x".
bool WholeNumber(std::string_view text, int& number) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto result = std::from_chars(text.data(), text.data() + text.size(), number, base);
  return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Checks that each option given belongs to the kind, and that the
// positional words fit it.
bool CheckKindArguments(const TExportKind& kind, const TParsedArguments& parsed, std::ostream& err) {
  for (const auto& [name, value] : parsed.options) {
    const TExportOption* option = FindOption(name);
    const bool shared = name == "--options" && (kind.group == TKindGroup::csv || kind.group == TKindGroup::html);
    if (!shared && (!option || option->group != kind.group)) {
      err << "ombrix-cli export: " << name << " does not apply to " << kind.name << '\n';
      return false;
    }
  }
  const std::size_t wanted = kind.group == TKindGroup::individual ? 3 : (kind.needsObject ? 4 : 3);
  if (parsed.positional.size() == wanted) return true;
  err << "ombrix-cli export: " << kind.name << " takes <file.ofd> " << kind.name
      << (kind.group == TKindGroup::individual ? " <object>" : (kind.needsObject ? " <out> <object>" : " <out>"))
      << '\n';
  return false;
}

// The option bits: --options N, or'ed with the bits of the flags given.
bool OptionBits(const TExportKind& kind, const TParsedArguments& parsed, std::uint32_t all, std::uint32_t& bits,
                std::ostream& err) {
  bits = 0;
  if (const char* text = parsed.Value("--options")) {
    int number = -1;
    if (!WholeNumber(text, number) || number < 0 || static_cast<std::uint32_t>(number) > all) {
      err << "ombrix-cli export: --options of " << kind.name << " takes a number from 0 to " << all << ", not \""
          << text << "\"\n";
      return false;
    }
    bits = static_cast<std::uint32_t>(number);
  }
  for (const auto& [name, value] : parsed.options)
    if (const TExportOption* option = FindOption(name)) bits |= option->bit;
  return true;
}

// "WxH" with both sides accepted by the HTML dialog.
bool PictureSize(const TParsedArguments& parsed, std::string_view name, int& width, int& depth, std::ostream& err) {
  const char* text = parsed.Value(name);
  if (!text) return true;
  const std::string_view size = text;
  const std::size_t x = size.find('x');
  if (x != std::string_view::npos && WholeNumber(size.substr(0, x), width) &&
      WholeNumber(size.substr(x + 1), depth) && IsPictureSideValid(width) && IsPictureSideValid(depth))
    return true;
  err << "ombrix-cli export: " << name << " takes WxH with sides from " << kMinPictureSide << " to "
      << kMaxPictureSide << " pixels, not \"" << size << "\"\n";
  return false;
}

// Prints the program's box for a failed export as one line; returns the
// exit status.
int ReportResult(TExportCommand command, TExportResult result, const std::string& path, std::ostream& err) {
  if (result == TExportResult::ok) return kExitOk;
  ombrix_data::TUserMessage message{};
  if (GetExportMessage(command, result, path.c_str(), message)) {
    err << "ombrix-cli export: " << message.caption << ':';
    for (const char* line : message.lines)
      if (line) err << ' ' << line;
    err << '\n';
  } else if (result == TExportResult::nothingToExport) {
    err << "ombrix-cli export: the field has no objects\n";
  } else if (result == TExportResult::cancelled) {
    err << "ombrix-cli export: cancelled\n";
  }
  return kExitFailure;
}

std::size_t LineCount(const std::string& text) {
  std::size_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++lines;
  return lines;
}

int ExportCsv(const CField& field, const TExportKind& kind, const TParsedArguments& parsed, std::ostream& out,
              std::ostream& err) {
  std::uint32_t options = 0;
  if (!OptionBits(kind, parsed, kCsvAllOptions, options, err)) return kExitUsage;
  const std::string path = parsed.positional[2];
  const int status = ReportResult(TExportCommand::csv, ExportFieldCsv(field, options, path), path, err);
  if (status == kExitOk) out << "export csv " << path << " objects " << field.Count() << " options " << options << '\n';
  return status;
}

int ExportHtml(const CField& field, const TExportKind& kind, const TParsedArguments& parsed, std::ostream& out,
               std::ostream& err) {
  THtmlExportOptions options;
  if (!OptionBits(kind, parsed, kHtmlAllOptions, options.options, err) ||
      !PictureSize(parsed, "--thumb-size", options.thumbWidth, options.thumbDepth, err) ||
      !PictureSize(parsed, "--image-size", options.imageWidth, options.imageDepth, err))
    return kExitUsage;
  if (const char* prefix = parsed.Value("--path-prefix")) options.pathPrefix = NormalizedPathPrefix(prefix);
  const THtmlPictureWriter& pictures = HtmlPictureWriter();
  if (HtmlHasPictures(options.options) && !pictures) {
    err << "ombrix-cli export: --thumbs and --images need ombrix-cli built with the GUI libraries, which draw "
           "the pictures; this build writes the page without them\n";
    return kExitUsage;
  }
  const std::string path = parsed.positional[2];
  THtmlExportReport report;
  const TExportResult result = ExportFieldHtml(field, parsed.positional[0], options, path, pictures, report);
  const int status = ReportResult(TExportCommand::html, result, path, err);
  if (status != kExitOk) return status;
  for (const std::string& failed : report.failedPictures) err << "ombrix-cli export: cannot draw " << failed << '\n';
  out << "export html " << path << " objects " << report.objects << " options " << options.options << " pictures "
      << (HtmlHasPictures(options.options) ? report.objects - report.failedPictures.size() : 0) << '\n';
  return report.failedPictures.empty() ? kExitOk : kExitFailure;
}

int ExportText(const CField& field, const TExportKind& kind, const TParsedArguments& parsed, std::ostream& out,
               std::ostream& err) {
  const CObjectListElem* object = nullptr;
  if (kind.needsObject) {
    object = ChooseObject(kName, field, parsed.positional[3], err);
    if (!object) return kExitFailure;
  }
  std::string text;
  TExportResult result = TExportResult::ok;
  switch (kind.text) {
    case TTextExport::allMinima: text = AllMinimaText(field); break;
    case TTextExport::minima: result = MinimaListText(*object, text); break;
    case TTextExport::etv: result = EtvText(*object, text); break;
    default: result = SeriesLinesText(*object, kind.lines, text); break;
  }
  const std::string path = parsed.positional[2];
  if (result == TExportResult::ok) result = WriteExportText(path, text);
  const int status = ReportResult(TExportCommand::text, result, path, err);
  if (status == kExitOk) out << "export " << kind.name << ' ' << path << " lines " << LineCount(text) << '\n';
  return status;
}

// The individual options: the object's kept ones unless the command line
// names a new name or a prefix and postfix.
bool IndividualOptions(const CObjectListElem& object, const TParsedArguments& parsed,
                       TIndividualExportOptions& options, std::ostream& err) {
  GetIndividualExportOptions(object, options);
  const char* newName = parsed.Value("--new-name");
  const char* prefix = parsed.Value("--prefix");
  const char* postfix = parsed.Value("--postfix");
  if (newName && (prefix || postfix)) {
    err << "ombrix-cli export: give either --new-name or --prefix/--postfix\n";
    return false;
  }
  if (parsed.Has("--overwrite") && parsed.Has("--keep-existing")) {
    err << "ombrix-cli export: give either --overwrite or --keep-existing\n";
    return false;
  }
  if (newName) {
    options.useNewName = true;
    options.newName = newName;
  } else if (prefix || postfix) {
    options.useNewName = false;
    options.prefix = prefix ? prefix : "";
    options.postfix = postfix ? postfix : "";
  }
  options.overwrite = parsed.Has("--overwrite");
  if (options.useNewName && options.newName.empty()) {
    err << "ombrix-cli export: the object keeps no new file name: give --new-name or --prefix/--postfix\n";
    return false;
  }
  return true;
}

int ExportIndividual(const CField& field, const TParsedArguments& parsed, std::ostream& out, std::ostream& err) {
  const CObjectListElem* object = ChooseObject(kName, field, parsed.positional[2], err);
  if (!object) return kExitFailure;
  TIndividualExportOptions options;
  if (!IndividualOptions(*object, parsed, options, err)) return kExitUsage;
  const bool keepExisting = parsed.Has("--keep-existing");
  CPrintingUserIO io(out);
  auto ask = [&](const std::string& path) {
    if (keepExisting) return TOverwriteAnswer::no;
    io.Ask(OverwriteQuestion(path.c_str()), ombrix_data::TButtons::yesNoCancel);
    return TOverwriteAnswer::cancel;
  };
  TIndividualExportReport report;
  const TExportResult result = ExportIndividualSeriesMinusFit(*object, options, ask, report);
  for (const std::string& path : report.written) out << "written " << path << '\n';
  for (const std::string& path : report.skipped) out << "kept " << path << '\n';
  for (const std::string& path : report.protectedFiles) out << "not written over the series file " << path << '\n';
  return ReportResult(TExportCommand::text, result, report.failedPath, err);
}

int RunExport(TArguments arguments, std::ostream& out, std::ostream& err) {
  TParsedArguments parsed;
  if (!ParseArguments(kName, arguments,
                      {{"--options", true},     {"--var", false},        {"--cmp", false},
                       {"--chk", false},        {"--nights", false},     {"--alt-name", false},
                       {"--type", false},       {"--elements", false},   {"--magnitudes", false},
                       {"--coordinates", false}, {"--catalog", false},   {"--catalog-mag", false},
                       {"--color-indexes", false}, {"--thumbs", false},  {"--images", false},
                       {"--thumb-size", true},  {"--image-size", true},  {"--path-prefix", true},
                       {"--new-name", true},    {"--prefix", true},      {"--postfix", true},
                       {"--overwrite", false},  {"--keep-existing", false}},
                      2, 4, parsed, err))
    return kExitUsage;
  const TExportKind* kind = FindKind(parsed.positional[1]);
  if (!kind) {
    err << "ombrix-cli export: unknown kind \"" << parsed.positional[1] << "\" (see ombrix-cli export --help)\n";
    return kExitUsage;
  }
  if (!CheckKindArguments(*kind, parsed, err)) return kExitUsage;

  CField field;
  if (!LoadFieldForCli(parsed.positional[0], field, out, err)) return kExitFailure;
  switch (kind->group) {
    case TKindGroup::csv: return ExportCsv(field, *kind, parsed, out, err);
    case TKindGroup::html: return ExportHtml(field, *kind, parsed, out, err);
    case TKindGroup::individual: return ExportIndividual(field, parsed, out, err);
    default: return ExportText(field, *kind, parsed, out, err);
  }
}

}  // namespace

extern const TCliCommand ExportCommand = {
    kName, "export the field or an object as the program's export commands do",
    "Usage: ombrix-cli export <file.ofd> <kind> <out> [<object>] [options]\n"
    "       ombrix-cli export <file.ofd> individual-minus-fit <object> [options]\n"
    "\n"
    "Loads the field and writes what the program's export command of that kind\n"
    "writes. Kinds of the whole field (no <object>):\n"
    "  csv            table of all objects (\"Export Field into CSV...\")\n"
    "  html           page of all objects (\"Export Field into HTML...\")\n"
    "  all-minima     minima of every object (\"Export Minima of All Objects\")\n"
    "Kinds of one <object>:\n"
    "  minima         its minima (\"Minima List\")\n"
    "  etv            O-C of its minima (\"ETV Data\")\n"
    "  series         points of its enabled series (\"Time Series...\")\n"
    "  phased         phase, value, error (\"Phased Series...\")\n"
    "  phased-series  time reduced into one cycle (\"Phased Time Series...\")\n"
    "  minus-fit      residuals from the fitted model (\"Time Series minus Fit...\")\n"
    "  individual-minus-fit\n"
    "                 residuals of each series into a file beside its series\n"
    "                 file (\"Individual Series minus Fit...\"); no <out>\n"
    "\n"
    "csv options (or --options N, the sum of the bits):\n"
    "  --var (1) --cmp (2) --chk (4) --nights (8)\n"
    "                 variable, comparison and check star columns, one column\n"
    "                 per observing night\n"
    "html options (or --options N from 0 to 1023, the sum of the bits):\n"
    "  --alt-name (1) --type (2) --elements (4) --coordinates (8) --catalog (16)\n"
    "  --catalog-mag (32) --color-indexes (64) --thumbs (128) --images (256)\n"
    "  --magnitudes (512)\n"
    "  --thumb-size WxH   thumbnail size, default 80x60\n"
    "  --image-size WxH   picture size, default 1024x768 (sides 8 to 32767)\n"
    "  --path-prefix P    folder of the pictures as the page links them\n"
    "  Pictures (--thumbs, --images) are drawn by the chart panes and need\n"
    "  ombrix-cli built with the GUI libraries; they go beside the page.\n"
    "individual-minus-fit options (default: those kept with the object):\n"
    "  --new-name N       one file name for every series (\".txt\" added\n"
    "                     without an extension)\n"
    "  --prefix P --postfix Q\n"
    "                     the series file's name with P before and Q after it\n"
    "  --overwrite        replace existing files\n"
    "  --keep-existing    leave existing files and go on with the next series\n"
    "\n" OMBRIX_CLI_OBJECT_HELP
    "\n" OMBRIX_CLI_MESSAGES_HELP
    "\n"
    "An existing <out> is replaced only when the new file is written whole.\n"
    "Prints \"export <kind> <out> lines N\" (texts), \"export csv <out> objects N\n"
    "options B\" or \"export html <out> objects N options B pictures P\"; the\n"
    "individual export prints \"written <path>\" per file. A refused export\n"
    "prints the program's message and exits with status 1.\n",
    RunExport};

}  // namespace ombrix_cli
