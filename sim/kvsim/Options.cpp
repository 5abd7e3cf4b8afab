// Flag parsing for the kvsim executable.
#include "Options.h"

#include "FormCodec.h"

namespace kvsim {

std::string usageText() {
  return "usage: kvsim [options]\n"
         "  --port N            listen on 127.0.0.1:N (0, the default, picks a free port)\n"
         "  --app-id ID         account app ID (default kvdemo-app)\n"
         "  --auth-token T      account auth token (default kvdemo-token)\n"
         "  --duid D            account device ID (default kvdemo-tv-0001)\n"
         "  --app-token T       account app token (default empty)\n"
         "  --accounts FILE     accounts, one per line: app_id=A AuthToken=T duid=D\n"
         "                      [appToken=X] [userId=U] [userName=NAME]\n"
         "  --empty             start without the default family\n"
         "  --log FILE          append one line per request to FILE\n"
         "  --fault RULE        inject a fault, RULE as for POST /admin/fault, e.g.\n"
         "                      'kind=latency&path=feeds&ms=500&count=2' (repeatable)\n"
         "  --exit-after S      stop by itself after S seconds\n"
         "  --tls-cert FILE     serve https with this PEM certificate (chain); needs --tls-key\n"
         "  --tls-key FILE      the certificate's PEM private key; needs --tls-cert\n"
         "  --max-body-bytes N  answer 413 to a request body over N bytes, unread\n"
         "                      (default " +
         std::to_string(kDefaultMaxBodyBytes) +
         ")\n"
         "  --version           print kvsim's version and exit\n"
         "  --help              show this text\n";
}

int parseOptions(int argc, char** argv, Options& options, std::string& error) {
  Account single = AccountList::defaultAccount();
  bool singleGiven = false;
  std::string accountsFile;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--help" || flag == "-h") {
      options.help = true;
      continue;
    }
    if (flag == "--version") {
      options.version = true;
      continue;
    }
    if (flag == "--empty") {
      options.config.seed = false;
      continue;
    }
    static const char* const kWithValue[] = {
        "--port", "--app-id", "--auth-token", "--duid",     "--app-token", "--accounts",
        "--log",  "--fault",  "--exit-after", "--tls-cert", "--tls-key",   "--max-body-bytes"};
    bool takesValue = false;
    for (const char* f : kWithValue) takesValue = takesValue || flag == f;
    if (!takesValue) {
      error = "unknown option " + flag;
      return 2;
    }
    if (i + 1 >= argc) {
      error = flag + " needs a value";
      return 2;
    }
    std::string value = argv[++i];
    if (flag == "--port" || flag == "--exit-after") {
      long n = parseCount(value, -1);
      if (n < 0 || (flag == "--port" && n > 65535)) {
        error = "bad value for " + flag + ": " + value;
        return 2;
      }
      (flag == "--port" ? options.port : options.exitAfterSeconds) = static_cast<int>(n);
    } else if (flag == "--max-body-bytes") {
      long n = parseCount(value, -1);
      if (n <= 0) {
        error = "bad value for " + flag + ": " + value;
        return 2;
      }
      options.config.maxBodyBytes = static_cast<size_t>(n);
    } else if (flag == "--tls-cert") {
      options.config.tlsCertPath = value;
    } else if (flag == "--tls-key") {
      options.config.tlsKeyPath = value;
    } else if (flag == "--app-id") {
      single.appId = value;
      singleGiven = true;
    } else if (flag == "--auth-token") {
      single.authToken = value;
      singleGiven = true;
    } else if (flag == "--duid") {
      single.duid = value;
      singleGiven = true;
    } else if (flag == "--app-token") {
      single.appToken = value;
      singleGiven = true;
    } else if (flag == "--accounts") {
      accountsFile = value;
    } else if (flag == "--log") {
      options.config.logPath = value;
    } else if (flag == "--fault") {
      FaultRule rule;
      if (!Faults::parseRule(value, rule, error)) {
        error = "bad --fault " + value + ": " + error;
        return 2;
      }
      options.config.faults.push_back(rule);
    }
  }
  if (options.config.tlsCertPath.empty() != options.config.tlsKeyPath.empty()) {
    error = "--tls-cert and --tls-key go together";
    return 2;
  }
  if (!accountsFile.empty()) {
    if (singleGiven) {
      error = "--accounts cannot be combined with --app-id, --auth-token, --duid, --app-token";
      return 2;
    }
    if (!options.config.accounts.loadFile(accountsFile, error)) return 2;
  } else {
    if (single.appId.empty() || single.authToken.empty() || single.duid.empty()) {
      error = "app ID, auth token and DUID must not be empty";
      return 2;
    }
    options.config.accounts.add(single);
  }
  return 0;
}

}  // namespace kvsim
