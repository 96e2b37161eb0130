// The manager's 3D view: one binary glTF model lit by an image-based
// environment, turned with the mouse, with an optional ground grid and a view
// cube that snaps to the six principal views. Bundled with three.js by
// esbuild into zelt-3d-viewer.min.js, which the program serves as it is.
import {
  ACESFilmicToneMapping, BoxGeometry, Box3, CanvasTexture, Color, DirectionalLight, GridHelper, Group,
  HemisphereLight, Mesh, MeshBasicMaterial, PerspectiveCamera, PlaneGeometry, PMREMGenerator, Raycaster, Scene,
  ShadowMaterial, SRGBColorSpace, Sphere, Vector2, Vector3, WebGLRenderer, PCFShadowMap,
} from 'three';
import { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';
import { HDRLoader } from 'three/examples/jsm/loaders/HDRLoader.js';

const BACKGROUND = 0x161b22;
const CUBE_SIZE = 96; // CSS pixels of the view cube's corner

// Face order of BoxGeometry: +X, -X, +Y, -Y, +Z, -Z.
const CUBE_FACES = ['RIGHT', 'LEFT', 'TOP', 'BOTTOM', 'FRONT', 'BACK'];
const CUBE_NORMALS = [
  new Vector3(1, 0, 0), new Vector3(-1, 0, 0), new Vector3(0, 1, 0),
  new Vector3(0, -1, 0), new Vector3(0, 0, 1), new Vector3(0, 0, -1),
];

function faceTexture(label) {
  const canvas = document.createElement('canvas');
  canvas.width = canvas.height = 128;
  const g = canvas.getContext('2d');
  g.fillStyle = '#30363d';
  g.fillRect(0, 0, 128, 128);
  g.strokeStyle = '#8b949e';
  g.lineWidth = 4;
  g.strokeRect(2, 2, 124, 124);
  g.fillStyle = '#f0f6fc';
  g.font = 'bold 24px sans-serif';
  g.textAlign = 'center';
  g.textBaseline = 'middle';
  g.fillText(label, 64, 66);
  const texture = new CanvasTexture(canvas);
  texture.colorSpace = SRGBColorSpace;
  return texture;
}

function overlay(element, text) {
  const box = document.createElement('div');
  box.style.cssText = 'position:absolute;inset:0;display:flex;align-items:center;justify-content:center;' +
    'color:#8b949e;font:13px -apple-system,sans-serif;pointer-events:none;text-align:center;padding:16px';
  box.textContent = text;
  element.appendChild(box);
  return box;
}

function init(element, options = {}) {
  if (!element) throw new Error('Zelt3DViewer.init needs a container element');
  const {
    modelUrl, environmentUrl, zUp = false, showGround = true, showViewCube = true,
  } = options;
  if (getComputedStyle(element).position === 'static') element.style.position = 'relative';
  element.dataset.zeltViewer = 'loading';
  // Pages and tests wait for the lighting too: "ready" once a frame has been
  // drawn with the environment, "none" when there is none to wait for.
  element.dataset.zeltEnvironment = environmentUrl ? 'loading' : 'none';
  let environmentToShow = false;

  const renderer = new WebGLRenderer({ antialias: true });
  renderer.setPixelRatio(window.devicePixelRatio || 1);
  renderer.outputColorSpace = SRGBColorSpace;
  renderer.toneMapping = ACESFilmicToneMapping;
  renderer.shadowMap.enabled = true;
  renderer.shadowMap.type = PCFShadowMap;
  renderer.autoClear = false;
  renderer.domElement.style.display = 'block';
  element.appendChild(renderer.domElement);
  const status = overlay(element, 'Loading 3D model\u2026');

  const scene = new Scene();
  scene.background = new Color(BACKGROUND);
  // The environment does most of the lighting; the sun adds the shadow on the
  // ground and a little shape, the hemisphere light lifts the dark sides.
  scene.environmentIntensity = 0.55;
  scene.add(new HemisphereLight(0xdde6f0, 0x2a2622, 0.2));
  const sun = new DirectionalLight(0xffffff, 1.1);
  sun.castShadow = true;
  sun.shadow.mapSize.set(1024, 1024);
  scene.add(sun, sun.target);

  const camera = new PerspectiveCamera(40, 1, 0.01, 1000);
  camera.position.set(1, 0.8, 1.2);
  const controls = new OrbitControls(camera, renderer.domElement);
  controls.enableDamping = true;
  controls.dampingFactor = 0.12;

  // The model hangs under a pivot that turns a Z-up model upright in
  // three.js's Y-up world.
  const pivot = new Group();
  if (zUp) pivot.rotation.x = -Math.PI / 2;
  scene.add(pivot);

  let needsRender = true;
  let disposed = false;
  let frame = 0;
  let radius = 1;
  controls.addEventListener('change', () => { needsRender = true; });

  // The view cube: its own scene and camera, drawn into a corner.
  const cubeScene = new Scene();
  const cubeCamera = new PerspectiveCamera(30, 1, 0.1, 20);
  const cube = new Mesh(new BoxGeometry(1, 1, 1),
    CUBE_FACES.map((label) => new MeshBasicMaterial({ map: faceTexture(label) })));
  cubeScene.add(cube);

  function size() {
    const width = Math.max(1, element.clientWidth);
    const height = Math.max(1, element.clientHeight);
    renderer.setSize(width, height, false);
    renderer.domElement.style.width = '100%';
    renderer.domElement.style.height = '100%';
    camera.aspect = width / height;
    camera.updateProjectionMatrix();
    needsRender = true;
  }

  function render() {
    const width = renderer.domElement.clientWidth;
    const height = renderer.domElement.clientHeight;
    renderer.setScissorTest(false);
    renderer.setViewport(0, 0, width, height);
    renderer.clear();
    renderer.render(scene, camera);
    if (showViewCube) {
      const offset = new Vector3().subVectors(camera.position, controls.target).normalize().multiplyScalar(3.2);
      cubeCamera.position.copy(offset);
      cubeCamera.up.copy(camera.up);
      cubeCamera.lookAt(0, 0, 0);
      renderer.setScissorTest(true);
      renderer.setScissor(width - CUBE_SIZE, height - CUBE_SIZE, CUBE_SIZE, CUBE_SIZE);
      renderer.setViewport(width - CUBE_SIZE, height - CUBE_SIZE, CUBE_SIZE, CUBE_SIZE);
      renderer.clearDepth();
      renderer.render(cubeScene, cubeCamera);
      renderer.setScissorTest(false);
    }
  }

  function loop() {
    if (disposed) return;
    frame = requestAnimationFrame(loop);
    if (controls.update()) needsRender = true;
    if (needsRender) {
      needsRender = false;
      render();
      if (environmentToShow) {
        environmentToShow = false;
        element.dataset.zeltEnvironment = 'ready';
      }
    }
  }

  // OrbitControls keeps the camera a hair off the poles, so the top and
  // bottom views need no special up vector.
  function viewFrom(direction) {
    const distance = camera.position.distanceTo(controls.target);
    camera.position.copy(controls.target).addScaledVector(direction, distance);
    controls.update();
    needsRender = true;
  }

  const pointer = new Vector2();
  const raycaster = new Raycaster();
  renderer.domElement.addEventListener('click', (event) => {
    if (!showViewCube) return;
    const rect = renderer.domElement.getBoundingClientRect();
    const x = event.clientX - rect.left - (rect.width - CUBE_SIZE);
    const y = event.clientY - rect.top;
    if (x < 0 || y > CUBE_SIZE) return;
    pointer.set((x / CUBE_SIZE) * 2 - 1, -(y / CUBE_SIZE) * 2 + 1);
    raycaster.setFromCamera(pointer, cubeCamera);
    const hit = raycaster.intersectObject(cube)[0];
    if (hit && hit.face) viewFrom(CUBE_NORMALS[hit.face.materialIndex]);
  });

  function frameModel(object) {
    const box = new Box3().setFromObject(object);
    if (box.isEmpty()) return;
    const sphere = box.getBoundingSphere(new Sphere());
    radius = Math.max(sphere.radius, 1e-4);
    controls.target.copy(sphere.center);
    // Fit the sphere in the narrower of the two fields of view.
    const vertical = (camera.fov * Math.PI) / 180;
    const horizontal = 2 * Math.atan(Math.tan(vertical / 2) * camera.aspect);
    const distance = radius / Math.sin(Math.min(vertical, horizontal) / 2) * 1.1;
    camera.position.copy(sphere.center).add(new Vector3(1, 0.75, 1.25).normalize().multiplyScalar(distance));
    camera.near = distance / 100;
    camera.far = distance * 100;
    camera.updateProjectionMatrix();
    controls.minDistance = radius * 0.2;
    controls.maxDistance = distance * 20;
    controls.update();  // turns the camera to the new target

    sun.position.copy(sphere.center).add(new Vector3(-0.5, 1.3, 0.9).multiplyScalar(radius * 4));
    sun.target.position.copy(sphere.center);
    const shadow = sun.shadow.camera;
    shadow.left = shadow.bottom = -radius * 2;
    shadow.right = shadow.top = radius * 2;
    shadow.near = radius * 0.5;
    shadow.far = radius * 10;
    shadow.updateProjectionMatrix();

    if (showGround) {
      const span = radius * 6;
      const grid = new GridHelper(span, 24, 0x484f58, 0x30363d);
      grid.position.set(sphere.center.x, box.min.y - radius * 0.002, sphere.center.z);
      const ground = new Mesh(new PlaneGeometry(span, span), new ShadowMaterial({ opacity: 0.35 }));
      ground.rotation.x = -Math.PI / 2;
      ground.position.copy(grid.position);
      ground.receiveShadow = true;
      scene.add(grid, ground);
    }
    needsRender = true;
  }

  function fail(message) {
    element.dataset.zeltViewer = 'error';
    status.textContent = message;
    status.style.color = '#f87171';
  }

  if (environmentUrl) {
    new HDRLoader().load(environmentUrl, (texture) => {
      if (disposed) return;
      const pmrem = new PMREMGenerator(renderer);
      scene.environment = pmrem.fromEquirectangular(texture).texture;
      texture.dispose();
      pmrem.dispose();
      environmentToShow = true;
      needsRender = true;
    }, undefined, () => {
      // Without the environment the lights alone shade the model.
      element.dataset.zeltEnvironment = 'none';
    });
  }

  if (modelUrl) {
    new GLTFLoader().load(modelUrl, (gltf) => {
      if (disposed) return;
      gltf.scene.traverse((node) => {
        if (node.isMesh) node.castShadow = true;
      });
      pivot.add(gltf.scene);
      pivot.updateMatrixWorld(true);
      frameModel(pivot);
      status.remove();
      render();
      element.dataset.zeltViewer = 'ready';
    }, undefined, (error) => fail('Could not load the 3D model: ' + ((error && error.message) || error)));
  } else {
    fail('No 3D model to show');
  }

  const resizeObserver = new ResizeObserver(size);
  resizeObserver.observe(element);
  size();
  loop();

  return {
    scene,
    camera,
    dispose() {
      disposed = true;
      cancelAnimationFrame(frame);
      resizeObserver.disconnect();
      controls.dispose();
      renderer.dispose();
      renderer.domElement.remove();
    },
  };
}

window.Zelt3DViewer = { init };
