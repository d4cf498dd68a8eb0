// OpenSSL's PEM functions, for units that also see the Win32 API: wincrypt.h defines a few
// constants under the names of OpenSSL types, so those names are handed back to OpenSSL first.
// The Win32 header comes first so that a later inclusion cannot define them again.
#pragma once

#include "winapi/win32.h"

#undef X509_NAME
#undef X509_EXTENSIONS
#undef PKCS7_ISSUER_AND_SERIAL
#undef PKCS7_SIGNER_INFO
#undef OCSP_REQUEST
#undef OCSP_RESPONSE

#include <openssl/pem.h>
