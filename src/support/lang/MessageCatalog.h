#pragma once
// Every message the program composes, by id, with its built-in Russian text: what a language
// file's strings section must give, key by key.

#include "support/lang/AddedMessages.h"

#include <vector>

namespace kv {

// In id order. Ids 21 and 46 come twice (two related texts share each); 17 and 26 never
// existed, but a language file still keeps a key for them.
const std::vector<TMessage>& MessageCatalog();

// One past the highest id: the keys a complete strings section has.
int MessageCount();

}  // namespace kv
