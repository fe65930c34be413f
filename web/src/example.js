// The example adventure, preloaded in a page that keeps no files yet: each
// file a string of its bytes (see build.mjs).
import one from '../../examples/BEACON.SCE';
import two from '../../examples/BEACON2.SCE';
import three from '../../examples/BEACON3.SCE';

export const example = [
  ['BEACON.SCE', one],
  ['BEACON2.SCE', two],
  ['BEACON3.SCE', three],
];
