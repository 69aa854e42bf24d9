#!/usr/bin/python3
# Known answers of the AES entry format, computed apart from the library:
# PBKDF2-HMAC-SHA-1 and HMAC-SHA-1 by Python's hashlib and hmac, the AES
# key stream by OpenSSL (AES in ECB mode over the counter blocks: a
# little-endian counter from 1 in the first eight bytes, zeros after).
# Writes known-answers.txt beside this script; one block per key size:
#   bits, password, salt, plain text, derived bytes (AES key, HMAC key,
#   verifier), cipher text and the ten-byte authentication code, in hex.
import hashlib, hmac, os, subprocess

here = os.path.dirname(os.path.abspath(__file__))
plain = bytes((i * 37 + 11) & 0xFF for i in range(100))  # six blocks and a part
lines = []
for bits, password in ((128, b"secret"), (192, b"p\xc3\xa4ss w\xc3\xb6rd"), (256, b"correct horse")):
    L = bits // 8
    salt = bytes(range(0x10, 0x10 + L // 2))
    derived = hashlib.pbkdf2_hmac("sha1", password, salt, 1000, 2 * L + 2)
    key, mac_key, verifier = derived[:L], derived[L:2 * L], derived[2 * L:]
    blocks = (len(plain) + 15) // 16
    counters = b"".join((n + 1).to_bytes(8, "little") + bytes(8) for n in range(blocks))
    stream = subprocess.run(["openssl", "enc", "-aes-%d-ecb" % bits, "-nopad", "-K", key.hex()],
                            input=counters, capture_output=True, check=True).stdout
    cipher = bytes(a ^ b for a, b in zip(plain, stream))
    code = hmac.new(mac_key, cipher, hashlib.sha1).digest()[:10]
    lines += ["bits %d" % bits, "password " + password.hex(), "salt " + salt.hex(), "plain " + plain.hex(),
              "derived " + derived.hex(), "cipher " + cipher.hex(), "mac " + code.hex(), ""]
with open(os.path.join(here, "known-answers.txt"), "w") as f:
    f.write("\n".join(lines))
