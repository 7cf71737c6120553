#include "scan/scan_options.h"

namespace {
bool quietFor(const ProfileConfig &config, ScanMode mode, QuietOverride quiet) {
  if (quiet != QuietOverride::None) return quiet == QuietOverride::Quiet;
  switch (mode) {
    case ScanMode::Full:
      return config.QuietFullScan;
    case ScanMode::Smart:
      return config.QuietSmartScan;
    case ScanMode::Partial:
      break;
  }
  return config.QuietPartialScan;
}
}  // namespace

TreeOrder treeOrder(const ProfileConfig &config) {
  return {config.SortTree, config.CaseSensitiveSort};
}

ScanOptions scanOptions(const ProfileConfig &config, ScanMode mode, QuietOverride quiet,
                        const std::string &treeFile) {
  ScanOptions options;
  options.quiet = quietFor(config, mode, quiet);
  options.startDirs = config.StartDir;
  options.skipDirs = config.SkipDir;
  options.mountDirs = config.MountDir;
  options.order = treeOrder(config);
  options.treeFile = treeFile;
  return options;
}

bool isExcluded(const ScanOptions &options, const std::string &path) {
  return matchesSkipDir(options.skipDirs, path) ||
         matchesMountDir(options.mountDirs, path);
}

LookupFlags scanLookup(const ScanOptions &options) {
  LookupFlags flags;
  flags.createBelow = true;
  flags.skipDirs = &options.skipDirs;
  flags.startDirs = &options.startDirs;
  flags.order = options.order;
  return flags;
}
