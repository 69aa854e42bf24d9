// The engine's block-cipher and hash classes: the cipher base with nine modes
// of operation and eight cipher classes, the hash base with four hash classes,
// the registries of both and the cipher exception. Ciphers and hashes are
// protection objects (ZACryptUtil), so either can be a link of a chain.
#pragma once

#include "zip/ZACipher_base.h"
#include "zip/ZACipher_ciphers.h"
#include "zip/ZACipher_hash.h"
#include "zip/ZACipher_registry.h"
