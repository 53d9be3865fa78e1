#include "shell/command_line.h"

#include <cmath>
#include <ostream>

#include "core/duration.h"
#include "core/numbers.h"
#include "engine/month_status.h"
#include "records/option_file.h"
#include "records/record_store.h"

namespace vq {
namespace {

std::string isoDate(Date d) {
    const auto pad = [](int n, std::size_t width) {
        std::string s = std::to_string(n);
        return std::string(s.size() < width ? width - s.size() : 0, '0') + s;
    };
    return pad(d.year, 4) + "-" + pad(d.month, 2) + "-" + pad(d.day, 2);
}

double cents(double amount) {
    return std::round(amount * 100) / 100;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            const char* hex = "0123456789abcdef";
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string jsonNumber(double value) {
    return formatDecimal(cents(value), '.');
}

void printText(const MonthStatus& s, std::ostream& out) {
    out << "Forfait : " << s.plan << "\n";
    out << "Mois du forfait : du " << dateText(s.month.start) << " au " << dateText(addDays(s.month.end, -1))
        << "\n";
    out << "Temps utilisé : " << durationFromSeconds(s.usedSeconds) << "\n";
    if (s.allowanceSeconds > 0)
        out << "Temps restant : " << durationFromSeconds(s.allowanceLeftSeconds) << " sur "
            << durationFromSeconds(s.allowanceSeconds) << "\n";
    else
        out << "Temps restant : sans forfait d'heures\n";
    out << "Hors forfait : " << eurosText(s.amountDue) << "\n";
    out << "Connexion en cours : " << (s.counting ? "oui" : "non") << "\n";
    out << "Prévision fin de mois : " << durationFromSeconds(s.projection.usedSeconds) << ", dépassement "
        << durationFromSeconds(s.projection.overrunSeconds) << ", " << eurosText(s.projection.amountDue)
        << "\n";
}

void printJson(const MonthStatus& s, std::ostream& out) {
    const Projection& p = s.projection;
    out << "{\"plan\": " << jsonString(s.plan) << ", \"month_start\": \"" << isoDate(s.month.start)
        << "\", \"month_end\": \"" << isoDate(addDays(s.month.end, -1))
        << "\", \"counting\": " << (s.counting ? "true" : "false")
        << ", \"used_seconds\": " << std::to_string(s.usedSeconds)
        << ", \"allowance_seconds\": " << std::to_string(s.allowanceSeconds)
        << ", \"allowance_left_seconds\": " << std::to_string(s.allowanceLeftSeconds)
        << ", \"amount_due\": " << jsonNumber(s.amountDue)
        << ", \"projection\": {\"used_seconds\": " << std::to_string(p.usedSeconds)
        << ", \"overrun_seconds\": " << std::to_string(p.overrunSeconds)
        << ", \"amount_due\": " << jsonNumber(p.amountDue) << "}}\n";
}

// "--name value" or "--name=value": the value, moving `i` past it; nothing when it is missing.
std::optional<std::string> valueOf(const std::vector<std::string>& args, std::size_t& i,
                                   const std::string& name) {
    const std::string& a = args[i];
    if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0)
        return a.substr(name.size() + 1);
    if (a != name || i + 1 >= args.size())
        return std::nullopt;
    return args[++i];
}

}  // namespace

bool wantsCommandLine(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "-h" || a.rfind("--", 0) == 0)
            return true;
    }
    return false;
}

std::string commandLineHelp() {
    return "Utilisation :\n"
           "  Varlotte                  lance le compteur\n"
           "  Varlotte --status [--json] [--plan NOM]\n"
           "                            le mois du forfait en cours (ou de NOM) : temps utilisé, temps\n"
           "                            restant, montant hors forfait, prévision à la fin du mois\n"
           "  Varlotte --export-csv FICHIER [--plan NOM] [--month AAAA-MM]\n"
           "                            les connexions (de NOM, du mois AAAA-MM) en CSV dans FICHIER\n"
           "  Varlotte --help           ce texte\n"
           "Ces commandes lisent les fichiers du compteur sans jamais les modifier.\n";
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    bool status = false, exportCsv = false, help = false;
    const auto refuse = [&c](const std::string& why) {
        if (c.error.empty())
            c.error = why;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::string name = a.substr(0, a.find('='));
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--status") {
            status = true;
        } else if (a == "--json") {
            c.json = true;
        } else if (name == "--export-csv" || name == "--plan" || name == "--month") {
            std::optional<std::string> v = valueOf(args, i, name);
            if (!v || v->empty()) {
                refuse("l'option " + name + " attend une valeur.");
            } else if (name == "--export-csv") {
                exportCsv = true;
                c.file = *v;
            } else if (name == "--plan") {
                c.plan = *v;
            } else if (!(c.month = parseYearMonth(*v))) {
                refuse("mois « " + *v + " » illisible : écrivez-le AAAA-MM (par exemple 2026-12).");
            }
        } else {
            refuse("argument inconnu « " + a + " ».");
        }
    }
    if (help) {
        c.action = CommandLine::Action::Help;
        return c;
    }
    if (status && exportCsv)
        refuse("--status et --export-csv ne vont pas ensemble.");
    else if (!status && !exportCsv)
        refuse("indiquez --status ou --export-csv.");
    else if (status && c.month)
        refuse("--month ne sert qu'avec --export-csv.");
    else if (exportCsv && c.json)
        refuse("--json ne sert qu'avec --status.");
    c.action = status ? CommandLine::Action::Status : CommandLine::Action::ExportCsv;
    return c;
}

int runCommandLine(const CommandLine& command, const std::string& dataFolder, const Clock& clock,
                   std::ostream& out, std::ostream& err) {
    if (!command.error.empty()) {
        err << "Varlotte : " << command.error << "\n" << commandLineHelp();
        return kExitUsage;
    }
    switch (command.action) {
        case CommandLine::Action::Help:
            out << commandLineHelp();
            return kExitDone;
        case CommandLine::Action::Status: {
            const std::string plan = command.plan.empty() ? currentPlan(dataFolder) : command.plan;
            if (plan.empty()) {
                err << "Varlotte : aucun forfait en cours (dans " << dataFolder << ").\n";
                return kExitFailed;
            }
            std::optional<MonthStatus> status = readMonthStatus(dataFolder, plan, clock);
            if (!status) {
                err << "Varlotte : forfait « " << plan << " » inconnu (dans " << dataFolder << ").\n";
                return kExitFailed;
            }
            if (command.json)
                printJson(*status, out);
            else
                printText(*status, out);
            return kExitDone;
        }
        case CommandLine::Action::ExportCsv: {
            RecordStore records(option::filePath(dataFolder));
            records.load();
            if (!writeRecordsCsv(records.lines(), {command.plan, command.month}, command.file)) {
                err << "Varlotte : impossible d'écrire le fichier « " << command.file << " ».\n";
                return kExitFailed;
            }
            return kExitDone;
        }
    }
    return kExitFailed;
}

}  // namespace vq
