// Every file is kept in the browser's storage as it is typed, so that a
// reload, a crash or a closed tab gives everything back. A file is one key
// (its bytes as a byte string); the names in order and the open tab another.
const prefix = 'zel-playground:';
const fileKey = (name) => prefix + 'file:' + name;
const orderKey = prefix + 'order';

export function loadKept() {
  try {
    const order = JSON.parse(localStorage.getItem(orderKey) || 'null');
    if (!order) return null;
    const files = order.names
      .map((name) => ({ name, text: localStorage.getItem(fileKey(name)) }))
      .filter((f) => f.text !== null);
    return { files, active: order.active };
  } catch {
    return null;
  }
}

export function keepFile(name, text) {
  try {
    localStorage.setItem(fileKey(name), text);
    return true;
  } catch {
    return false;  // storage is full or refused: the caller says so
  }
}

export function forgetFile(name) {
  localStorage.removeItem(fileKey(name));
}

export function keepOrder(names, active) {
  try {
    localStorage.setItem(orderKey, JSON.stringify({ names, active }));
  } catch {
    // the order is rebuilt from the files next time
  }
}
