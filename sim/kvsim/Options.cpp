// Flag parsing for the kvsim executable: one table names each flag, its
// value, its help text and what it sets.
#include "Options.h"

#include <vector>

#include "FormCodec.h"

namespace kvsim {

namespace {

// What the flags set, before the accounts are settled.
struct Parse {
  explicit Parse(Options& given) : options(given) {}
  Options& options;
  Account single = AccountList::defaultAccount();
  bool singleGiven = false;
  std::string accountsFile;
};

// Sets the option from `value` (empty for a switch); false with `error` set.
typedef bool (*Apply)(Parse& parse, const std::string& flag, const std::string& value,
                      std::string& error);

struct Flag {
  const char* name;
  const char* value;  // the value's placeholder; null for a switch
  std::string help;   // lines after the first are indented under it
  Apply apply;
};

bool badValue(const std::string& flag, const std::string& value, std::string& error) {
  error = "bad value for " + flag + ": " + value;
  return false;
}

bool setPort(Parse& p, const std::string& flag, const std::string& value, std::string& error) {
  const long n = parseCount(value, -1);
  if (n < 0 || n > 65535) return badValue(flag, value, error);
  p.options.port = static_cast<int>(n);
  return true;
}

bool setExitAfter(Parse& p, const std::string& flag, const std::string& value, std::string& error) {
  const long n = parseCount(value, -1);
  if (n < 0) return badValue(flag, value, error);
  p.options.exitAfterSeconds = static_cast<int>(n);
  return true;
}

bool setMaxBody(Parse& p, const std::string& flag, const std::string& value, std::string& error) {
  const long n = parseCount(value, -1);
  if (n <= 0) return badValue(flag, value, error);
  p.options.config.maxBodyBytes = static_cast<size_t>(n);
  return true;
}

// One field of the single account given by flags.
template <std::string Account::*Field>
bool setAccount(Parse& p, const std::string&, const std::string& value, std::string&) {
  p.single.*Field = value;
  p.singleGiven = true;
  return true;
}

// A text option of the server's configuration.
template <std::string ServerConfig::*Field>
bool setConfig(Parse& p, const std::string&, const std::string& value, std::string&) {
  p.options.config.*Field = value;
  return true;
}

bool setAccounts(Parse& p, const std::string&, const std::string& value, std::string&) {
  p.accountsFile = value;
  return true;
}

bool addFault(Parse& p, const std::string&, const std::string& value, std::string& error) {
  FaultRule rule;
  if (!Faults::parseRule(value, rule, error)) {
    error = "bad --fault " + value + ": " + error;
    return false;
  }
  p.options.config.faults.push_back(rule);
  return true;
}

bool setEmpty(Parse& p, const std::string&, const std::string&, std::string&) {
  p.options.config.seed = false;
  return true;
}

bool setVersion(Parse& p, const std::string&, const std::string&, std::string&) {
  p.options.version = true;
  return true;
}

bool setHelp(Parse& p, const std::string&, const std::string&, std::string&) {
  p.options.help = true;
  return true;
}

const std::vector<Flag>& flags() {
  static const std::vector<Flag> table = {
      {"--port", "N", "listen on 127.0.0.1:N (0, the default, picks a free port)", setPort},
      {"--app-id", "ID", "account app ID (default kvdemo-app)", setAccount<&Account::appId>},
      {"--auth-token", "T", "account auth token (default kvdemo-token)",
       setAccount<&Account::authToken>},
      {"--duid", "D", "account device ID (default kvdemo-tv-0001)", setAccount<&Account::duid>},
      {"--app-token", "T", "account app token (default empty)", setAccount<&Account::appToken>},
      {"--accounts", "FILE",
       "accounts, one per line: app_id=A AuthToken=T duid=D\n"
       "[appToken=X] [userId=U] [userName=NAME]",
       setAccounts},
      {"--empty", nullptr, "start without the default family", setEmpty},
      {"--log", "FILE", "append one line per request to FILE", setConfig<&ServerConfig::logPath>},
      {"--fault", "RULE",
       "inject a fault, RULE as for POST /admin/fault, e.g.\n"
       "'kind=latency&path=feeds&ms=500&count=2' (repeatable)",
       addFault},
      {"--exit-after", "S", "stop by itself after S seconds", setExitAfter},
      {"--tls-cert", "FILE", "serve https with this PEM certificate (chain); needs --tls-key",
       setConfig<&ServerConfig::tlsCertPath>},
      {"--tls-key", "FILE", "the certificate's PEM private key; needs --tls-cert",
       setConfig<&ServerConfig::tlsKeyPath>},
      {"--max-body-bytes", "N",
       "answer 413 to a request body over N bytes, unread\n(default " +
           std::to_string(kDefaultMaxBodyBytes) + ")",
       setMaxBody},
      {"--version", nullptr, "print kvsim's version and exit", setVersion},
      {"--help", nullptr, "show this text", setHelp},
  };
  return table;
}

const Flag* findFlag(const std::string& name) {
  if (name == "-h") return findFlag("--help");
  for (const Flag& flag : flags()) {
    if (name == flag.name) return &flag;
  }
  return nullptr;
}

// Settles the accounts: a file of them, or the one the flags describe.
bool settleAccounts(Parse& p, std::string& error) {
  ServerConfig& config = p.options.config;
  if (p.accountsFile.empty()) {
    if (p.single.appId.empty() || p.single.authToken.empty() || p.single.duid.empty()) {
      error = "app ID, auth token and DUID must not be empty";
      return false;
    }
    config.accounts.add(p.single);
    return true;
  }
  if (p.singleGiven) {
    error = "--accounts cannot be combined with --app-id, --auth-token, --duid, --app-token";
    return false;
  }
  return config.accounts.loadFile(p.accountsFile, error);
}

}  // namespace

std::string usageText() {
  // Help texts start in this column.
  const size_t column = 22;
  std::string text = "usage: kvsim [options]\n";
  for (const Flag& flag : flags()) {
    std::string head = std::string("  ") + flag.name;
    if (flag.value != nullptr) head += std::string(" ") + flag.value;
    head.resize(column, ' ');
    std::string help = flag.help;
    for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1)) {
      help.insert(at + 1, column, ' ');
    }
    text += head + help + "\n";
  }
  return text;
}

int parseOptions(int argc, char** argv, Options& options, std::string& error) {
  Parse parse(options);
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    const Flag* flag = findFlag(name);
    if (flag == nullptr) {
      error = "unknown option " + name;
      return 2;
    }
    std::string value;
    if (flag->value != nullptr) {
      if (i + 1 >= argc) {
        error = name + " needs a value";
        return 2;
      }
      value = argv[++i];
    }
    if (!flag->apply(parse, name, value, error)) return 2;
  }
  if (options.config.tlsCertPath.empty() != options.config.tlsKeyPath.empty()) {
    error = "--tls-cert and --tls-key go together";
    return 2;
  }
  return settleAccounts(parse, error) ? 0 : 2;
}

}  // namespace kvsim
