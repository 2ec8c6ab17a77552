// Judges the texts judge_texts_test wrote: every Flash request must be well-formed XML for
// xmllint and give back, through XPath, each expected value; every page text, evaluated
// by the script engine as "(" + text + ")", must give an object with exactly the expected
// fields. Usage: node judge.js FOLDER
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const vm = require('vm');
const { execFileSync } = require('child_process');

const folder = process.argv[2];
const failures = [];
const fail = (text) => failures.push(text);

function xpath(file, expression) {
  const out = execFileSync('xmllint', ['--xpath', expression, file], { encoding: 'utf8' });
  return out.endsWith('\n') ? out.slice(0, -1) : out;
}

const names = fs.readdirSync(folder).filter((n) => /^expected-[\w-]+\.json$/.test(n));
if (names.length === 0) fail(`no texts in ${folder}`);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'judge-'));
for (const name of names) {
  const n = name.slice('expected-'.length, -'.json'.length);
  const expected = JSON.parse(fs.readFileSync(path.join(folder, name), 'utf8'));
  const encoding = expected.encoding;
  delete expected.encoding;
  // Fails with both lists of names, sorted, when `actual` does not hold exactly the expected ones.
  const namesDiffer = (what, actual) => {
    const want = Object.keys(expected).sort().join(',');
    const got = [...actual].sort().join(',');
    if (got !== want) fail(`${what}: got ${got}; want ${want}`);
  };

  const page = fs.readFileSync(path.join(folder, `page-${n}.txt`), 'utf8');
  let value;
  try {
    value = vm.runInNewContext('(' + page + ')');
  } catch (error) {
    fail(`page ${n}: not a script literal: ${error.message}`);
  }
  if (value !== undefined) {
    namesDiffer(`page ${n}: fields`, Object.keys(value));
    for (const [key, want] of Object.entries(expected)) {
      if (value[key] !== want) fail(`page ${n}: ${key} = ${JSON.stringify(value[key])}, want ${JSON.stringify(want)}`);
    }
  }

  // Some texts come with a page text only.
  if (!fs.existsSync(path.join(folder, `flash-${n}.xml`))) continue;
  const request = fs.readFileSync(path.join(folder, `flash-${n}.xml`));
  const file = path.join(scratch, `flash-${n}.xml`);
  fs.writeFileSync(file, Buffer.concat([Buffer.from(`<?xml version="1.0" encoding="${encoding}"?>`), request]));
  try {
    execFileSync('xmllint', ['--noout', file], { stdio: 'pipe' });
  } catch (error) {
    fail(`flash ${n}: not well-formed: ${error.stderr}`);
    continue;
  }
  if (xpath(file, 'string(/invoke/@name)') !== 'Lumarin_GetPetInfoCallBackSuc') fail(`flash ${n}: invoke name`);
  let ids = [];
  try {
    ids = xpath(file, '/invoke/arguments/object/property/@id').match(/id="[^"]*"/g) || [];
  } catch (error) {} // no property at all: xmllint fails on the empty set
  namesDiffer(`flash ${n}: properties`, ids.map((id) => id.slice(4, -1)));
  for (const [key, want] of Object.entries(expected)) {
    const got = xpath(file, `string(/invoke/arguments/object/property[@id='${key}']/*)`);
    if (got !== want) fail(`flash ${n}: ${key} = ${JSON.stringify(got)}, want ${JSON.stringify(want)}`);
  }
}
fs.rmSync(scratch, { recursive: true, force: true });
if (failures.length) {
  console.error(failures.join('\n'));
  process.exit(1);
}
console.log(`${names.length} Flash requests and page texts judged`);
