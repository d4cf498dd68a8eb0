// A list of text pairs that stays empty; it exists from load, so exit only destroys it.
#include "foundation/containers/list_pl.h"
#include "foundation/text/ustring.h"

namespace {

constinit ListPL<Pair<CopiedUString<UTF8>, CopiedUString<UTF8>>> emptyTextPairList;

} // namespace
