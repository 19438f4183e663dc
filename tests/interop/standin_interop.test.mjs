// node-simconnect, written by others, as a client of our stand-in simulator:
// if both sides agree on every byte, this walk through the session passes.
// Run as: node standin_interop.test.mjs PATH/TO/sim-standin (or set SIM_STANDIN).
// node-simconnect is installed here by scripts/install-interop; without it
// the script exits 77, which CTest counts as skipped.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';

let simconnect;
try {
  simconnect = await import('node-simconnect');
} catch {
  console.log('SKIP: node-simconnect is not installed; run scripts/install-interop');
  process.exit(77);
}
const { open, Protocol, InitPosition, SimConnectDataType, SimObjectType } = simconnect;

const program = process.argv[2] ?? process.env.SIM_STANDIN;
assert.ok(program && existsSync(program), 'name the stand-in program as the first argument');

// Each step waits on the client where it can, so no timing decides the outcome.
const SCENARIO = 'launch 10; objects 1; objects 0; flight 12; objects 1; quit';
const REFUSED = 'Refused Tree';
const UNUSED = 0xffffffff;

// Resolves with the first `name` event whose payload passes `match`.
function next(handle, name, match = () => true, ms = 5000) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => {
      handle.off(name, listener);
      reject(new Error(`no ${name} within ${ms} ms`));
    }, ms);
    function listener(payload) {
      if (!match(payload)) return;
      clearTimeout(timer);
      handle.off(name, listener);
      resolve(payload);
    }
    handle.on(name, listener);
  });
}

async function waitForFile(file, ms = 5000) {
  const deadline = Date.now() + ms;
  while (!existsSync(file)) {
    if (Date.now() > deadline) throw new Error(`${file} never appeared`);
    await new Promise((r) => setTimeout(r, 20));
  }
  return readFileSync(file, 'utf8');
}

test('node-simconnect runs a whole session against the stand-in', async (t) => {
  const work = mkdtempSync(path.join(tmpdir(), 'standin-interop-'));
  t.after(() => rmSync(work, { recursive: true, force: true }));
  const portFile = path.join(work, 'port');
  const transcriptFile = path.join(work, 'transcript.jsonl');
  const sim = spawn(program, ['--port-file', portFile, '--scenario', SCENARIO,
    '--refuse', REFUSED, '--transcript', transcriptFile, '--timeout', '30']);
  let account = '';
  sim.stdout.on('data', (chunk) => { account += chunk; });
  const exited = new Promise((resolve) => sim.on('exit', (code) => resolve(code)));
  t.after(() => sim.kill());

  const port = Number((await waitForFile(portFile)).trim());
  const { recvOpen, handle } = await open('Interop', Protocol.FSX_SP2, { host: '127.0.0.1', port });
  assert.equal(recvOpen.applicationName, 'Microsoft Flight Simulator X');
  assert.deepEqual(
    [recvOpen.applicationVersionMajor, recvOpen.applicationVersionMinor,
      recvOpen.applicationBuildMajor, recvOpen.applicationBuildMinor],
    [10, 0, 61472, 0]);
  assert.deepEqual(
    [recvOpen.simConnectVersionMajor, recvOpen.simConnectVersionMinor,
      recvOpen.simConnectBuildMajor, recvOpen.simConnectBuildMinor],
    [10, 0, 61259, 0]);
  const quit = next(handle, 'quit', () => true, 20000);
  const closed = new Promise((resolve) => handle.on('close', resolve));

  // The month at launch.
  handle.addToDataDefinition(0, 'ZULU MONTH OF YEAR', 'Number',
    SimConnectDataType.FLOAT64, 0, UNUSED);
  handle.subscribeToSystemEvent(3, 'SimStart');
  let reply = next(handle, 'simObjectDataByType', (d) => d.requestID === 1);
  handle.requestDataOnSimObjectType(1, 0, 0, SimObjectType.USER);
  let data = await reply;
  assert.equal(data.defineID, 0);
  assert.deepEqual([data.entryNumber, data.outOf, data.defineCount], [1, 1, 1]);
  assert.notEqual(data.objectID, 0);
  assert.equal(data.data.readFloat64(), 10);

  // A datum the stand-in cannot serve is refused on its name argument.
  let refusal = next(handle, 'exception');
  let sendId = handle.addToDataDefinition(5, 'NO SUCH VARIABLE', 'Number',
    SimConnectDataType.FLOAT64, 0, UNUSED);
  assert.deepEqual(pick(await refusal), { exception: 7, sendId, index: 2 });

  // One object created, one refused by title, one unknown id removed.
  const position = new InitPosition();
  position.latitude = 47.25;
  position.longitude = -122.5;
  position.altitude = 350;
  position.onGround = true;
  const assigned = next(handle, 'assignedObjectID', (a) => a.requestID === 7);
  handle.aICreateSimulatedObject('Interop Tree', position, 7);
  const objectId = (await assigned).objectID;
  assert.notEqual(objectId, 0);

  refusal = next(handle, 'exception');
  sendId = handle.aICreateSimulatedObject(REFUSED, position, 8);
  assert.deepEqual(pick(await refusal), { exception: 22, sendId, index: 1 });

  refusal = next(handle, 'exception');
  sendId = handle.aIRemoveObject(objectId + 1000, 9);
  assert.deepEqual(pick(await refusal), { exception: 3, sendId, index: 1 });
  const removeSendId = handle.aIRemoveObject(objectId, 7);

  // The stand-in starts a flight in December once the object is gone.
  const event = await next(handle, 'event', () => true, 15000);
  assert.deepEqual([event.groupID, event.clientEventId, event.data], [UNUSED, 3, 0]);
  reply = next(handle, 'simObjectDataByType', (d) => d.requestID === 0);
  handle.requestDataOnSimObjectType(0, 0, 0, SimObjectType.USER);
  data = await reply;
  assert.equal(data.data.readFloat64(), 12);

  // A new object standing is the stand-in's cue to quit.
  const second = next(handle, 'assignedObjectID', (a) => a.requestID === 10);
  handle.aICreateSimulatedObject('Second Tree', position, 10);
  const secondId = (await second).objectID;
  assert.ok(secondId > objectId, 'object ids only grow');
  await quit;
  handle.close();
  await closed;
  assert.equal(await exited, 0);

  // The removal went through: no exception answered its send id.
  const lines = readFileSync(transcriptFile, 'utf8').trim().split('\n').map((l) => JSON.parse(l));
  const removal = lines.find((l) => l.dir === 'in' && l.kind === 'AIRemoveObject' &&
    l.send_id === removeSendId);
  assert.equal(removal.object_id, objectId);
  assert.ok(!lines.some((l) => l.kind === 'EXCEPTION' && l.send_id === removeSendId));
  const creation = lines.find((l) => l.dir === 'in' && l.title === 'Interop Tree');
  assert.deepEqual([creation.latitude, creation.longitude, creation.altitude, creation.on_ground],
    [47.25, -122.5, 350, 1]);
  assert.ok(account.includes(`client 1: left standing:\n    ${secondId} "Second Tree" ` +
    'lat 47.250000 lon -122.500000 alt 350.00 ft\n'), account);
});

function pick(exception) {
  return { exception: exception.exception, sendId: exception.sendId, index: exception.index };
}
