// Sources are bytes. The page shows byte b as the character of code point b
// (0-255), so that every byte survives editing, storage, links and downloads;
// a character typed beyond 255 becomes the bytes of its UTF-8 form.

export function bytesToText(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  return text;
}

// Every character must be below 256 (see toByteText).
export function textToBytes(text) {
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return bytes;
}

export function isByteText(text) {
  return !/[^\u0000-\u00ff]/.test(text);
}

// The text with each character beyond 255 replaced by its UTF-8 bytes.
export function toByteText(text) {
  if (isByteText(text)) return text;
  return text.replace(/[^\u0000-\u00ff]+/g, (run) => bytesToText(new TextEncoder().encode(run)));
}
