#pragma once
// `sonvara-batch plugins`: the installed LV2 plug-ins Sonvara can run, each with its URI, its
// class, its channels, its latency and its controls (symbol, name, range, default, unit and
// kind), then those left out with the reason.

namespace sonvara {

int ListPlugins();

}  // namespace sonvara
