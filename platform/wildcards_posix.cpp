#include "platform/wildcards.h"

WildcardExpansion ExpandCommandLineWildcards(const std::vector<std::string>& args)
{
    // The shell has expanded the patterns already; what is left was quoted
    // on purpose or matched nothing, and is taken as typed.
    return {args, {}};
}
