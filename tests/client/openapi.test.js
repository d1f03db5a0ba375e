// docs/openapi.yaml lints clean and describes every reply of the in-process reply table run
// (FINGERBRIDGE_REPLY_LOG): the operation the router picks, status, content type, JSON schema.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFile } from 'node:fs/promises';
import { Validator } from '@seriousme/openapi-schema-validator';
import Ajv2020 from 'ajv/dist/2020.js';
import YAML from 'yaml';

const document = YAML.parse(await readFile(new URL('../../docs/openapi.yaml', import.meta.url), 'utf8'));

test('the OpenAPI document is valid OpenAPI 3.1', async () => {
  const result = await new Validator().validate(structuredClone(document));
  assert.ok(result.valid, JSON.stringify(result.errors, null, 2));
});

// The path the server's router picks for a request target, as src/server/routes.cpp does.
function pathFor(method, target) {
  if (target === '/api/config' || target === '/api/status' || target === '/api/scan/single') return target;
  if (target.startsWith('/api/demoscan/single')) return '/api/demoscan/single';
  if (method === 'POST' && (target === '/verify_with_template' || target === '/demoverify_with_template')) return target;
  return '/{file}';
}

// Method and target as the server cuts them (before the first space, between the first two), and the reply's parts.
function cut(request, reply) {
  const first = request.indexOf(' ');
  const second = first < 0 ? -1 : request.indexOf(' ', first + 1);
  const method = first < 0 ? request : request.slice(0, first);
  const headEnd = reply.indexOf('\r\n\r\n');
  const contentType = /\r\nContent-Type: ([^\r]*)/.exec(reply.slice(0, headEnd))?.[1] ?? '';
  return { method, path: second < 0 ? '/' : request.slice(first + 1, second), status: Number(reply.slice(9, 12)), contentType, body: reply.slice(headEnd + 4) };
}

test('every reply of the request -> reply table is described', async () => {
  const exchanges = JSON.parse(await readFile(process.env.FINGERBRIDGE_REPLY_LOG, 'utf8'));
  assert.ok(exchanges.length >= 30, `only ${exchanges.length} replies`);
  const ajv = new Ajv2020({ strict: false });
  ajv.addSchema({ $id: 'doc', components: document.components });
  for (const { method, path, status, contentType, body } of exchanges.map(([request, reply]) => cut(request, reply))) {
    const where = `${method} ${path} -> ${status}`;
    const item = document.paths[pathFor(method, path)];
    // Methods other than OPTIONS and POST get the GET operation's reply.
    const operation = item[method.toLowerCase()] ?? item.get;
    let reply = operation.responses[String(status)];
    assert.ok(reply, `${where}: no such response in the document`);
    if (reply.$ref) reply = reply.$ref.slice(2).split('/').reduce((node, key) => node[key], document);
    if (!reply.content) {
      assert.equal(body, '', where);
      continue;
    }
    const media = reply.content[contentType];
    assert.ok(media, `${where}: content type ${contentType} not described`);
    const schema = JSON.parse(JSON.stringify(media.schema).replaceAll('"#/components/', '"doc#/components/'));
    const value = contentType === 'application/json' ? JSON.parse(body) : body;
    assert.ok(ajv.validate(schema, value), `${where}: ${ajv.errorsText()}\n${body.slice(0, 200)}`);
  }
});
